// The run's side of configuration: the services configuration asks of the
// run, and ending the run the way a configuration stop asks.
#pragma once

#include <string>

#include "config/config_host.h"

namespace mailsift {

struct RunContext;

class RunConfigHost final : public ConfigHost {
 public:
  explicit RunConfigHost(RunContext& ctx) : ctx_(ctx) {}

  LogOpening open_accounting_log(const std::string& path) override;
  bool accounting_log_is_open() const override;
  void replace_accounting_log(LogReplacedBy by, const std::string& new_path) override;
  void close_accounting_log() override;
  void expand_output_mask(std::string& path) override;
  bool pause_after_warning(const OutStream& warned_on, int seconds) override;
  bool wait_for_key() override;

 private:
  RunContext& ctx_;
};

// Configures the run (ctx.settings, ctx.lists, ctx.args, ctx.file_list);
// when configuration stops, shows the usage text if asked and ends the run.
void configure_run(RunContext& ctx);

}  // namespace mailsift
