// DeleteFolderOrFile with RecycleBin true: a file or a whole folder to the
// recycle bin, never deleted for good, with no dialog unless asked for.
#pragma once

#include <string_view>

namespace corvane {

// True when the item has left its place for the bin, or nothing was there.
bool recycle(std::wstring_view path, bool confirm);

}  // namespace corvane
