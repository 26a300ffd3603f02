#include "vesper_settings.hpp"

#include "dbf_code_pages.hpp"

code_page_source vesper_settings::encoding() const {
  if (code_page == 0) return code_page_source::each_table;
  return code_page == dbf_code_pages::auto_setting ? code_page_source::detected : code_page_source::one_page;
}
