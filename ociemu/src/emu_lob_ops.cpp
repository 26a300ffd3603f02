#include "emu_lob_ops.hpp"

#include <cstring>

#include "emu_round_trips.hpp"
#include "emu_text.hpp"
#include "emu_unverified.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

constexpr ub2 utf8_id = 873;
constexpr ub2 utf16_big_endian_id = 2000;
constexpr ub2 utf16_little_endian_id = 2002;

std::string quote(const std::u16string& name) { return "\"" + to_utf8(name) + "\""; }

char16_t swap(char16_t c) { return static_cast<char16_t>((c >> 8) | (c << 8)); }

bool big_endian_host() {
  const std::uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 0;
}

}  // namespace

emu_lob_ops::emu_lob_ops(emu_svcctx& svc, emu_lob& lob) : svc_(svc), lob_(lob) {
  if (!lob.initialised) throw ora_error(22275);
  svc.connection();  // ORA-03114 without a session
  load();
}

ub2 emu_lob_ops::effective_charset(ub2 csid) const {
  if (csid == 0) return svc_.env->utf16() ? OCI_UTF16ID : utf8_id;  // the environment's
  if (csid == OCI_UTF16ID || csid == utf8_id || csid == 871 || csid == utf16_big_endian_id ||
      csid == utf16_little_endian_id)
    return csid == 871 ? utf8_id : csid;
  throw ora_error(1482);
}

std::size_t emu_lob_ops::unit_size(ub2 csid) const {
  if (!character()) return 1;
  return effective_charset(csid) == utf8_id ? 1 : 2;
}

std::u16string emu_lob_ops::decode(const void* data, std::size_t bytes, ub2 csid) const {
  const ub2 cs = effective_charset(csid);
  if (cs == utf8_id) return to_utf16(std::string_view(static_cast<const char*>(data), bytes));
  std::u16string out(bytes / 2, u'\0');
  std::memcpy(out.data(), data, out.size() * 2);
  const bool swapped = (cs == utf16_big_endian_id) != big_endian_host() && cs != OCI_UTF16ID;
  if (swapped)
    for (auto& c : out) c = swap(c);
  return out;
}

std::string emu_lob_ops::encode(const std::u16string& text, ub2 csid) const {
  const ub2 cs = effective_charset(csid);
  if (cs == utf8_id) return to_utf8(text);
  std::u16string copy = text;
  const bool swapped = (cs == utf16_big_endian_id) != big_endian_host() && cs != OCI_UTF16ID;
  if (swapped)
    for (auto& c : copy) c = swap(c);
  return std::string(reinterpret_cast<const char*>(copy.data()), copy.size() * 2);
}

void emu_lob_ops::load() {
  emu_value v = lob_.snapshot;
  if (lob_.row >= 0) {
    auto& s = svc_.connection().db().cached("SELECT " + quote(lob_.column) + " FROM " +
                                             quote(lob_.table) + " WHERE ROWID = ?");
    s.bind_int(1, lob_.row);
    if (!s.step()) {
      s.reset();
      throw ora_error(22275);
    }
    v = emu_value_converter::from_untyped_cell(s.column(0));
    s.reset();
  }
  if (character()) text_ = v.kind == value_kind::null ? u"" : emu_value_converter::to_text(v);
  else bytes_ = v.kind == value_kind::bytes ? v.bytes : std::vector<std::uint8_t>();
}

void emu_lob_ops::check_writable() {
  emu_connection& c = svc_.connection();
  if (lob_.row < 0 || !lob_.locked || lob_.connection != &c) throw ora_error(22920);
  if (lob_.transaction != c.transaction_number()) throw ora_error(22990);
}

void emu_lob_ops::save() {
  emu_connection& c = svc_.connection();
  c.begin();
  emu_cell cell;
  if (character()) {
    cell.kind = emu_cell::type::text;
    // A CLOB holds the database character set; an NCLOB keeps every letter.
    cell.text = to_utf8(lob_.kind == type_kind::clob ? c.settings().stored(text_) : text_);
  } else {
    cell.kind = emu_cell::type::blob;
    cell.blob = bytes_;
  }
  auto& s = c.db().cached("UPDATE " + quote(lob_.table) + " SET " + quote(lob_.column) +
                          " = ? WHERE ROWID = ?");
  s.bind(1, cell);
  s.bind_int(2, lob_.row);
  s.step();
  s.reset();
}

// Writes at `position` (0-based units); a gap after the end is filled with blanks (CLOB)
// or zero bytes (BLOB), as a server does. Returns the units written.
std::size_t emu_lob_ops::write_piece(std::size_t position, ub4 amount, const void* buffer,
                                     ub4 buffer_length, ub2 csid) {
  if (!buffer) return 0;
  if (!character()) {
    const std::size_t n = amount ? std::min<std::size_t>(amount, buffer_length) : buffer_length;
    if (position > bytes_.size()) bytes_.resize(position, 0);
    if (position + n > bytes_.size()) bytes_.resize(position + n);
    std::memcpy(bytes_.data() + position, buffer, n);
    return n;
  }
  const std::size_t unit = unit_size(csid);
  std::size_t take = buffer_length / unit * unit;
  if (amount && std::size_t{amount} * unit > take && !unverified::write_amount_capped_by_buffer)
    throw ora_error(24801);
  if (amount) take = std::min<std::size_t>(take, std::size_t{amount} * unit);
  const std::u16string data = decode(buffer, take, csid);
  if (position > text_.size()) text_.resize(position, u' ');
  text_.replace(position, std::min(data.size(), text_.size() - position), data);
  return data.size();
}

sword emu_lob_ops::write(ub4* amount, ub4 offset, const void* buffer, ub4 buffer_length,
                         ub1 piece, void* context, OCICallbackLobWrite callback, ub2 csid) {
  svc_.connection().wait_outside_locks(counted_round_trip());
  check_writable();
  if (!amount || (offset == 0 && piece != OCI_NEXT_PIECE && piece != OCI_LAST_PIECE)) throw ora_error(24801);
  std::size_t position = piece == OCI_ONE_PIECE || piece == OCI_FIRST_PIECE ? offset - 1 : lob_.stream_position;
  std::size_t written = write_piece(position, *amount, buffer, buffer_length, csid);
  position += written;
  if (piece == OCI_FIRST_PIECE && callback) {
    ub1 next = OCI_NEXT_PIECE;
    while (next != OCI_LAST_PIECE) {
      ub4 length = buffer_length;
      if (callback(context, const_cast<void*>(buffer), &length, &next) != OCI_CONTINUE) throw ora_error(24343);
      const std::size_t n = write_piece(position, 0, buffer, length, csid);
      position += n;
      written += n;
    }
    piece = OCI_LAST_PIECE;
  }
  save();
  lob_.stream_position = position;
  *amount = static_cast<ub4>(written);
  return piece == OCI_FIRST_PIECE || piece == OCI_NEXT_PIECE ? OCI_NEED_DATA : OCI_SUCCESS;
}

// Copies up to `count` units from `position` into the buffer, as many as fit; returns the
// units copied and sets `bytes`.
std::size_t emu_lob_ops::read_piece(std::size_t position, std::size_t count, void* buffer,
                                    ub4 buffer_length, ub2 csid, ub4& bytes) {
  if (!character()) {
    const std::size_t n = std::min<std::size_t>(count, buffer_length);
    std::memcpy(buffer, bytes_.data() + position, n);
    bytes = static_cast<ub4>(n);
    return n;
  }
  std::size_t n = std::min<std::size_t>(count, buffer_length / unit_size(csid));
  std::string encoded = encode(text_.substr(position, n), csid);
  while (encoded.size() > buffer_length && n > 0) encoded = encode(text_.substr(position, --n), csid);
  std::memcpy(buffer, encoded.data(), encoded.size());
  bytes = static_cast<ub4>(encoded.size());
  return n;
}

sword emu_lob_ops::read(ub4* amount, ub4 offset, void* buffer, ub4 buffer_length, void* context,
                        OCICallbackLobRead callback, ub2 csid) {
  svc_.connection().wait_outside_locks(counted_round_trip());
  if (!amount || !buffer) throw ora_error(24801);
  const std::size_t size = character() ? text_.size() : bytes_.size();
  std::size_t position, remaining;
  if (lob_.streaming) {
    position = lob_.stream_position;
    remaining = lob_.stream_remaining;
  } else {
    if (offset == 0) throw ora_error(24801);
    position = offset - 1;
    if (position >= size) {
      *amount = 0;
      return unverified::read_past_end_is_no_data ? OCI_NO_DATA : OCI_SUCCESS;
    }
    remaining = *amount == 0 ? size - position : std::min<std::size_t>(*amount, size - position);
  }
  ub4 bytes = 0;
  std::size_t n = read_piece(position, remaining, buffer, buffer_length, csid, bytes);
  if (callback && n < remaining) {
    std::size_t total = n;
    ub1 piece = OCI_FIRST_PIECE;
    while (total < remaining) {
      if (callback(context, buffer, bytes, piece) != OCI_CONTINUE) throw ora_error(24343);
      n = read_piece(position + total, remaining - total, buffer, buffer_length, csid, bytes);
      if (n == 0) throw ora_error(24801);  // the buffer cannot hold one character
      total += n;
      piece = OCI_NEXT_PIECE;
    }
    if (callback(context, buffer, bytes, OCI_LAST_PIECE) != OCI_CONTINUE) throw ora_error(24343);
    *amount = static_cast<ub4>(total);
    lob_.streaming = false;
    return OCI_SUCCESS;
  }
  *amount = character() && effective_charset(csid) == utf8_id ? bytes : static_cast<ub4>(n);
  lob_.streaming = n < remaining;
  lob_.stream_position = position + n;
  lob_.stream_remaining = remaining - n;
  return lob_.streaming ? OCI_NEED_DATA : OCI_SUCCESS;
}

ub4 emu_lob_ops::length() {
  svc_.connection().wait_outside_locks(counted_round_trip());
  return static_cast<ub4>(character() ? text_.size() : bytes_.size());
}

}  // namespace ociemu
