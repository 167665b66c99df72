// Capacity for strings of many megabytes (whole files, replace-all results) that the kernel
// may back with huge pages, so filling them costs a page fault per 2 MB rather than per 4 KB.
#pragma once

#include <cstddef>
#include <string>

namespace norra {

// Reserves at least `capacity` bytes in `buffer`. Below a few megabytes this is a plain reserve.
void ReserveLargeBuffer(std::string& buffer, std::size_t capacity);

}  // namespace norra
