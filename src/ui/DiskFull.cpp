#include "DiskFull.h"

#include "Modal.h"
#include "codec/Transforms.h"

namespace quillon::ui {

void DiskFullNotice(QWidget* parent) {
    Modal().plainMessage(parent, QString::fromLatin1(DiskFullText));
}

} // namespace quillon::ui
