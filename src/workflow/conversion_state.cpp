#include "workflow/conversion_state.h"

#include "providers/source_providers.h"

namespace skerrow {

ConversionState::ConversionState() : Source(StandardSourceProviders()) {}

}  // namespace skerrow
