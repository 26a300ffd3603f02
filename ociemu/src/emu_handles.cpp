#include "emu_handles.hpp"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "emu_text.hpp"

namespace ociemu {

namespace {

struct registry {
  std::mutex lock;
  std::unordered_map<const void*, ub4> live;
};

registry& handles() {
  static registry* r = new registry;  // outlives every handle, even at exit
  return *r;
}

}  // namespace

emu_handle::emu_handle(ub4 handle_type, emu_env* owner, bool env_child)
    : type(handle_type), env(owner) {
  {
    std::lock_guard<std::mutex> guard(handles().lock);
    handles().live[this] = handle_type;
  }
  if (env_child && env && static_cast<void*>(env) != static_cast<void*>(this)) env->children.insert(this);
}

emu_handle::~emu_handle() {
  std::lock_guard<std::mutex> guard(handles().lock);
  handles().live.erase(this);
}

emu_handle* find_handle(const void* p, ub4 type) {
  if (!p) return nullptr;
  std::lock_guard<std::mutex> guard(handles().lock);
  const auto found = handles().live.find(p);
  if (found == handles().live.end()) return nullptr;
  const ub4 actual = found->second;
  const bool param = (type == OCI_DTYPE_PARAM || type == OCI_HTYPE_DESCRIBE) && actual == OCI_DTYPE_PARAM;
  const bool datetime = type == OCI_DTYPE_TIMESTAMP && actual >= OCI_DTYPE_DATE && actual <= OCI_DTYPE_TIMESTAMP_LTZ;
  if (actual != type && !param && !datetime && type != 0) return nullptr;
  return static_cast<emu_handle*>(const_cast<void*>(p));
}

void free_handle(emu_handle* h) {
  if (h->env && static_cast<void*>(h->env) != static_cast<void*>(h)) h->env->children.erase(h);
  delete h;
}

emu_env::emu_env(ub4 m, ub2 cs, ub2 ncs) : emu_handle(OCI_HTYPE_ENV, nullptr), mode(m), charset(cs), ncharset(ncs) {
  env = this;
}

emu_env::~emu_env() {
  // Statements, sessions and the rest go before the environment that made them; sessions
  // last, since statements and locators point at their connections.
  std::vector<emu_handle*> sessions;
  while (!children.empty()) {
    emu_handle* child = *children.begin();
    children.erase(children.begin());
    if (child->type == OCI_HTYPE_SESSION) sessions.push_back(child);
    else delete child;
  }
  for (auto* s : sessions) delete s;
}

std::u16string emu_env::decode(const void* data, std::size_t bytes) const {
  if (!data) return {};
  if (!utf16()) return to_utf16(std::string_view(static_cast<const char*>(data), bytes));
  std::u16string out(bytes / 2, u'\0');
  std::memcpy(out.data(), data, out.size() * 2);
  return out;
}

std::u16string emu_env::decode_terminated(const void* data, std::size_t max_bytes) const {
  if (!data) return {};
  std::size_t n = 0;
  if (utf16()) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (n + 1 < max_bytes && (p[n] != 0 || p[n + 1] != 0)) n += 2;
  } else {
    const auto* p = static_cast<const char*>(data);
    while (n < max_bytes && p[n] != 0) ++n;
  }
  return decode(data, n);
}

std::string emu_env::encode(const std::u16string& text) const {
  if (!utf16()) return to_utf8(text);
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

emu_connection& emu_svcctx::connection() const {
  if (!session || !session->connection) throw ora_error(3114);
  return *session->connection;
}

void emu_lob::point_at(const emu_lob_source& source, emu_connection& owner) {
  initialised = true;
  kind = source.kind;
  table = source.table;
  column = source.column;
  row = source.row;
  snapshot = source.snapshot;
  locked = source.locked && source.row >= 0;
  transaction = owner.transaction_number();
  connection = &owner;
  streaming = false;
}

emu_param::emu_param(emu_env* e, emu_select_column c)
    : emu_handle(OCI_DTYPE_PARAM, e), column(std::move(c)), name_bytes(e->encode(column.name)) {}

}  // namespace ociemu

namespace ociemu {

std::size_t emu_bind::potential_size() const {
  if (maxdata_size > 0) return maxdata_size;
  if (value_size <= 0) return 0;
  const auto size = static_cast<std::size_t>(value_size);
  constexpr std::size_t length_prefix = 4;
  if (dty == SQLT_LVC || dty == SQLT_LVB) return size > length_prefix ? size - length_prefix : 0;
  return size;
}

}  // namespace ociemu
