#include "ui/FormFont.h"

#include <QStringList>

namespace kvr {

QFont FormFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral(u"細明體"), QStringLiteral("PMingLiU"),
                      QStringLiteral("Noto Serif CJK TC"), QStringLiteral("Noto Sans CJK TC")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace kvr
