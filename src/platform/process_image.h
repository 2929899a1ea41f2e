// What one running process's image is, learnt with as little right as tells it.
#pragma once

#include "platform/process_rows.h"

#include <cstdint>

namespace quellary {

[[nodiscard]] ImagePlace processImagePlace(std::uint32_t id);

// The file at the place, for a place that was read.
[[nodiscard]] ImageLookup processImage(const ImagePlace& place);

} // namespace quellary
