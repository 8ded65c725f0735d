// The attributes a copy or a move hands on to a file, as the platform reads a
// request to set them.
#pragma once

#include <cstdint>

namespace corvane {

// The attributes to set so that a file ends up with exactly `attributes`'
// settable bits (read-only, hidden, system, archive, temporary, offline, not
// indexed). A request of 0 means "leave them as they are" to the file
// system, so where nothing settable remains the answer is the "normal"
// attribute (0x80), which clears them all.
uint32_t attributes_to_set(uint32_t attributes);

// The same with the read-only bit cleared: what a file must be given before
// it can be marked for deletion.
uint32_t attributes_without_read_only(uint32_t attributes);

}  // namespace corvane
