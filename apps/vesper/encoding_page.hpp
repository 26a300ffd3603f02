// Page 4: the code page that decodes the text of every table ("Default"
// keeps the one each file names).
#pragma once

#include "encoding_model.hpp"
#include "wizard_page.hpp"

class encoding_page : public wizard_page {
  Q_OBJECT

 public:
  explicit encoding_page(vesper_settings& settings);

  int on_next() override;
  int on_back() override;

 protected:
  void page_init() override;

 private:
  void store();

  encoding_model model_;
};
