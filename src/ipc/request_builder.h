#pragma once

// The plugin's side of the requests: the console and the tests send these to the monitor.

#include <cstdint>
#include <vector>

#include "ipc/request_args.h"

namespace ipc {

// Encodes a request with the body of `args`, whatever the id (the tests send mismatched bodies on
// purpose). Byte counts are taken from the texts and data. Empty when a text or the data is too long
// for its count field.
std::vector<std::uint8_t> EncodeRequest(std::uint32_t id, const RequestArgs& args);

}  // namespace ipc
