#include "app/Fonts.h"

#include <QFontDatabase>

const QStringList& SansSerifFaces()
{
    static const QStringList faces = {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                      QStringLiteral("DejaVu Sans")};
    return faces;
}

bool UseInstalledFace(QFont& font)
{
    if (QFontDatabase::hasFamily(font.family()))
        return false;
    const QString black = QStringLiteral("Arial Black");
    const bool wantsBlack = font.family().startsWith(black);
    QString face = wantsBlack && QFontDatabase::hasFamily(black) ? black : QString();
    for (const QString& sansSerif : SansSerifFaces()) {
        if (face.isEmpty() && QFontDatabase::hasFamily(sansSerif))
            face = sansSerif;
    }
    if (face.isEmpty())
        face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (wantsBlack && face != black)
        font.setWeight(QFont::Bold);
    font.setFamily(face);
    font.setStyleHint(QFont::SansSerif);
    return true;
}
