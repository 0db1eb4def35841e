#pragma once
// Finding files by pattern in one folder.

#include <string>
#include <vector>

namespace vlz {

// Appends the name (no folder) of every entry that matches `pattern` (a path whose last
// component may hold `*` and `?`) and whose attributes `attributeMask` allows, in the order the
// file system lists them. An entry that is hidden, a system file, a volume label or a folder is
// skipped unless the mask holds that bit; read-only and archive entries are never skipped. The
// list is neither cleared nor sorted, and sub-folders are not searched.
void SearchFiles(const std::string& pattern, unsigned attributeMask,
                 std::vector<std::string>& names);

}  // namespace vlz
