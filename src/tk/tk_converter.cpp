#include "tk_converter.hpp"

#include "tk_logger.hpp"

tk_converter::tk_converter() { tk_log(2, "tk_converter::ctor"); }
