#pragma once
// The faces Legwise draws its text in.

#include <QFont>
#include <QStringList>

// Where a font's face is installed and drawn, the font keeps it and nothing changes. Where it is
// missing, the platform's own matching may take a serif face (Wine takes the first face it knows),
// so the font is given a sans-serif face instead: for "Arial Black Kursiv" Arial Black, else a bold
// one; for every other face the first installed of SansSerifFaces(), else the desktop's own face.
// Returns whether the face was replaced.
bool UseInstalledFace(QFont& font);

// Microsoft Sans Serif and Tahoma (Windows), DejaVu Sans (Linux, and Wine with the Linux faces).
const QStringList& SansSerifFaces();
