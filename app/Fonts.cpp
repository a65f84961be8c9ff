#include "app/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

const QStringList& SansSerifFaces()
{
    static const QStringList faces = {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                      QStringLiteral("DejaVu Sans")};
    return faces;
}

bool UseInstalledFace(QFont& font)
{
    // What the platform draws, not what it lists: a name it resolves to another face (an alias such
    // as Windows' "MS Shell Dlg 2" or fontconfig's "Sans Serif") counts as missing too.
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0)
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
