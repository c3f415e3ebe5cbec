#include "workflow/checked_tables.h"

namespace skerrow {

std::vector<std::string> CheckedTables(const ConversionState& state, WizardWindow& window) {
  std::vector<std::string> names;
  const int count = window.TableItemCount();
  for (int index = 0; index < count; ++index) {
    if (!window.IsTableItemChecked(index)) continue;
    const std::size_t position = static_cast<std::size_t>(index);
    if (position >= state.TableNames.size()) break;
    names.push_back(state.TableNames[position]);
  }
  return names;
}

}  // namespace skerrow
