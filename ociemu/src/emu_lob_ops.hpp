// OCILobRead, OCILobWrite and OCILobGetLength over a locator: the documented meaning of
// amount, offset, character set id and form, one-piece, polling and callback modes.
#pragma once

#include "emu_handles.hpp"

namespace ociemu {

class emu_lob_ops {
 public:
  emu_lob_ops(emu_svcctx& svc, emu_lob& lob);

  sword write(ub4* amount, ub4 offset, const void* buffer, ub4 buffer_length, ub1 piece,
              void* context, OCICallbackLobWrite callback, ub2 csid);
  sword read(ub4* amount, ub4 offset, void* buffer, ub4 buffer_length, void* context,
             OCICallbackLobRead callback, ub2 csid);
  ub4 length();

 private:
  bool character() const { return lob_.kind != type_kind::blob; }
  ub2 effective_charset(ub2 csid) const;
  std::u16string decode(const void* data, std::size_t bytes, ub2 csid) const;
  std::string encode(const std::u16string& text, ub2 csid) const;
  std::size_t unit_size(ub2 csid) const;
  std::size_t write_piece(std::size_t position, ub4 amount, const void* buffer, ub4 buffer_length, ub2 csid);
  std::size_t read_piece(std::size_t position, std::size_t count, void* buffer, ub4 buffer_length, ub2 csid, ub4& bytes);
  void load();
  void save();
  void check_writable();

  emu_svcctx& svc_;
  emu_lob& lob_;
  std::u16string text_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ociemu
