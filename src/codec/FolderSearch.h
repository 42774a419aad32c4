#pragma once
// The recursive search for movies below a folder, as the batch scan runs it.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// What a scan reports while it walks; every hook is optional.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // A folder is entered, before its listing is read.
    virtual void enterFolder(const std::string& folder) { (void)folder; }
    // One more read of a folder's listing after the first.
    virtual void listingRead() {}
    // Polled between entries: true stops the walk where it is.
    virtual bool stopRequested() { return false; }
};

// True when the last four characters of a name are exactly ".swf".
bool HasSwfExtension(const std::string& name);

// Depth first from folder: every regular file whose name ends in ".swf" (hidden entries
// included) is appended to found as folder + "/" + name. Each folder's entries are
// taken in name order, case-insensitively, ties by bytes. Links to folders are neither
// followed nor listed; a link to a regular file counts as one. FIFOs, devices and
// sockets are left out. An unreadable folder adds nothing.
void SearchSwfFiles(const std::string& folder, std::vector<std::string>& found,
                    ScanObserver* observer = nullptr);

} // namespace quillon
