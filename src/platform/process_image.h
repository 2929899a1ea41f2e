// What one running process's image is, learnt with as little right as tells it.
#pragma once

#include "platform/process_rows.h"

#include <cstdint>

namespace quellary {

[[nodiscard]] ImageLookup processImage(std::uint32_t id);

} // namespace quellary
