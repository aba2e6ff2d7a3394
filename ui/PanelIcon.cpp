#include "ui/PanelIcon.h"

namespace veld::ui {

QIcon panelIcon() {
    QIcon icon;
    for (const int size : {32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/veld-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace veld::ui
