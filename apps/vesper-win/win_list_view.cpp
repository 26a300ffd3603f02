#include "win_list_view.hpp"

#include <commctrl.h>

#include <algorithm>

#include "win_text.hpp"

void win_list_view::set_up(const std::vector<std::string>& headings, bool checks) const {
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | (checks ? LVS_EX_CHECKBOXES : 0));
  for (std::size_t i = 0; i < headings.size(); ++i) {
    std::wstring heading = win_wide(headings[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = heading.data();
    column.iSubItem = static_cast<int>(i);
    ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    ListView_SetColumnWidth(list_, static_cast<int>(i), LVSCW_AUTOSIZE_USEHEADER);
  }
}

void win_list_view::clear() const { ListView_DeleteAllItems(list_); }

int win_list_view::add_row(const std::vector<std::u16string>& texts) const {
  std::wstring first = texts.empty() ? std::wstring() : win_wide(texts[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row_count();
  item.pszText = first.data();
  const int row = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (std::size_t column = 1; column < texts.size(); ++column) set_cell(row, static_cast<int>(column), texts[column]);
  return row;
}

void win_list_view::set_cell(int row, int column, const std::u16string& text) const {
  std::wstring wide = win_wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  ::SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::u16string win_list_view::cell(int row, int column) const {
  std::wstring buffer(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  const auto length = ::SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  buffer.resize(static_cast<std::size_t>(length));
  return win_u16(buffer);
}

int win_list_view::row_count() const { return ListView_GetItemCount(list_); }

int win_list_view::selected() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void win_list_view::select(int row) const {
  const int before = selected();
  if (before >= 0 && before != row) ListView_SetItemState(list_, before, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0 || row >= row_count()) return;
  ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
}

bool win_list_view::checked(int row) const { return ListView_GetCheckState(list_, row) != 0; }

void win_list_view::set_checked(int row, bool on) const { ListView_SetCheckState(list_, row, on ? TRUE : FALSE); }

int win_list_view::column_count() const {
  HWND header = ListView_GetHeader(list_);
  return header ? Header_GetItemCount(header) : 0;
}

// A column is as wide as its heading's text with a margin on each side, or
// its widest cell, whichever is wider; the last one also fills the list.
void win_list_view::fit_columns() const {
  const int columns = column_count();
  const int margin = 2 * ListView_GetStringWidth(list_, L"M");
  HWND header = ListView_GetHeader(list_);
  for (int c = 0; c < columns; ++c) {
    wchar_t heading[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = heading;
    item.cchTextMax = 128;
    Header_GetItem(header, c, &item);
    ListView_SetColumnWidth(list_, c, LVSCW_AUTOSIZE);
    const int wanted = std::max(ListView_GetColumnWidth(list_, c), ListView_GetStringWidth(list_, heading) + margin);
    ListView_SetColumnWidth(list_, c, c + 1 < columns ? wanted : LVSCW_AUTOSIZE_USEHEADER);
    if (c + 1 == columns && ListView_GetColumnWidth(list_, c) < wanted) ListView_SetColumnWidth(list_, c, wanted);
  }
}
