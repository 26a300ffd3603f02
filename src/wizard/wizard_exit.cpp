#include "wizard_exit.hpp"

#include "tk_logger.hpp"
#include "wizard_prompts.hpp"

bool confirm_exit(const wizard_prompts& prompts) {
  tk_log(2, "confirm_exit");
  return prompts.question(exit_question, true);
}
