#include "app/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

namespace veld::app {

void installFontSubstitutes() {
    const QStringList sans{QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
    const QStringList serif{QStringLiteral("Liberation Serif"),
                            QStringLiteral("DejaVu Serif Condensed"),
                            QStringLiteral("DejaVu Serif")};
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), sans);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), serif);
}

} // namespace veld::app
