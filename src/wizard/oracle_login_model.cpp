#include "oracle_login_model.hpp"

#include <optional>

#include "oracle_connection.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"

namespace {
// The text the user is shown for a failed connection: the friendly text of
// a known Oracle error, else Oracle's own.
std::string failure_text(const tk_reporter& reporter, const tk_exception& e) {
  const std::string friendly = reporter.advice(e.code);
  return friendly.empty() ? std::string(e.what()) : friendly;
}
}  // namespace

oracle_login_model::oracle_login_model(vesper_settings& settings, vesper_converter& converter)
    : settings_(settings), converter_(converter) {}

void oracle_login_model::load() {
  host = settings_.host;
  port = settings_.port;
  user = settings_.user;
  password = settings_.password;
  service = settings_.service;
}

void oracle_login_model::store() const {
  settings_.host = host;
  settings_.port = port;
  settings_.user = user;
  settings_.password = password;
  settings_.service = service;
}

wizard_notice oracle_login_model::validate() const {
  return service.empty() ? wizard_notice::message(no_database) : wizard_notice{};
}

bool oracle_login_model::next(const wizard_prompts& prompts, const busy_runner& busy) {
  store();
  if (!prompts.show(validate())) return false;
  if (!connect(settings_, converter_, prompts, busy)) {
    tk_log(2, "Cannot connect to Oracle");
    return false;
  }
  tk_log(2, "Connection has been established");
  return true;
}

bool oracle_login_model::connect(const vesper_settings& settings, vesper_converter& converter,
                                 const wizard_prompts& prompts, const busy_runner& busy) {
  std::optional<tk_exception> failure;
  busy([&] {
    tk_log(2, "Just before calling 'connect_oracle_server', dest=%s", settings.service);
    try {
      converter.connect_oracle_server(settings);
    } catch (const tk_exception& e) {
      failure = e;
    } catch (const std::exception& e) {
      failure = tk_exception(e.what());
    }
  });
  if (!failure) return true;
  // Shown here, on the user-interface thread: the user must learn why the
  // page stays.
  tk_log(3, "Error:\n%s", failure->message);
  prompts.error(failure_text(converter.reporter(), *failure));
  return false;
}

void oracle_login_model::test_connection(const wizard_prompts& prompts, const busy_runner& busy) const {
  if (!prompts.show(validate())) return;
  vesper_settings fields = settings_;
  fields.host = host;
  fields.port = port;
  fields.user = user;
  fields.password = password;
  fields.service = service;
  std::optional<tk_exception> failure;
  std::u16string version;
  busy([&] {
    tk_log(2, "Testing the connection to %s", fields.service);
    try {
      oracle_connection trial;
      trial.connect(fields);
      version = trial.engine()->version_banner();
    } catch (const tk_exception& e) {
      failure = e;
    } catch (const std::exception& e) {
      failure = tk_exception(e.what());
    }
  });
  if (failure) {
    tk_log(3, "Test connection failed:\n%s", failure->message);
    prompts.error(failure_text(converter_.reporter(), *failure));
    return;
  }
  std::string text = std::string(connection_succeeded) + ".";
  if (!version.empty()) text += "\n\n" + tk_utf16_to_utf8_lenient(version);
  prompts.message(text);
}
