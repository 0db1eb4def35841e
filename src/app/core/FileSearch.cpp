#include "app/core/FileSearch.h"

#include "platform/FindFile.h"

namespace vlz {

void SearchFiles(const std::string& pattern, unsigned attributeMask,
                 std::vector<std::string>& names) {
    constexpr unsigned selective = faHidden | faSysFile | faVolumeID | faDirectory;
    TFindFile find;
    TFindData data;
    for (bool found = find.First(pattern, data); found; found = find.Next(data)) {
        if ((data.Attributes & selective & ~attributeMask) == 0) {
            names.push_back(data.Name);
        }
    }
}

}  // namespace vlz
