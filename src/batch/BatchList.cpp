#include "BatchList.h"

namespace quillon {

std::vector<std::string> BatchFiles;
int BatchFileCount = 0;
bool BatchAllMarked = false;

void RemoveBatchFile(int row) {
    if (row < 0 || row >= static_cast<int>(BatchFiles.size())) {
        return;
    }
    BatchFiles.erase(BatchFiles.begin() + row);
    BatchFileCount = static_cast<int>(BatchFiles.size());
}

void ClearBatchFiles() {
    BatchFiles.clear();
    BatchFileCount = 0;
}

} // namespace quillon
