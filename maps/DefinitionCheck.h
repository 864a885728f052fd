#pragma once
// Checks of a map definition before a form writes it: which typed value cannot
// be stored, and whether the map reaches past the end of a loaded image.
#include <cstdint>
#include <optional>
#include <string>

#include "project/MapDefinition.h"

namespace orv {

enum class DefinitionCheck {
  AddressAndFactors,  // the start address (1 to 6 hexadecimal digits) and the two factors
  Everything,         // also both dimensions and the axis addresses whose box is checked
};

// A German message (UTF-8) naming the first value that cannot be stored, with
// the text as typed; nothing when every checked value can be stored.
std::optional<std::string> RefusedValue(const MapDefinition& d, DefinitionCheck scope);

// The byte offset just behind the map's last cell (start address scaled by the
// system code, dimensions, cell width of the type) when it lies beyond
// `imageSize`; nothing when the map fits or its values cannot be read.
std::optional<std::int64_t> EndBeyondImage(const MapDefinition& d, const std::string& systemcode,
                                           std::int64_t imageSize);

}  // namespace orv
