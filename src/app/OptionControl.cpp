// Names and pages of the options dialog's controls.
#include "app/OptionControl.h"

#include <array>

namespace norra {

namespace {

struct ControlInfo {
  std::string_view name;
  int page;
};

constexpr std::array<ControlInfo, kOptionControlCount> kControls = {{
#define NORRA_OPTION_INFO(name, page) {#name, page},
    NORRA_OPTION_CONTROLS(NORRA_OPTION_INFO)
#undef NORRA_OPTION_INFO
}};

}  // namespace

std::string_view NameOf(OptionControl control) {
  return kControls.at(static_cast<std::size_t>(control)).name;
}

int PageOf(OptionControl control) {
  return kControls.at(static_cast<std::size_t>(control)).page;
}

std::optional<OptionControl> OptionControlNamed(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return static_cast<OptionControl>(i);
  }
  return std::nullopt;
}

}  // namespace norra
