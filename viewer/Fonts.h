// The fonts of the forms. The forms were laid out for the classic Windows
// sans-serif faces; the closest metric relatives on Linux are tried first.
#pragma once

#include <QFont>

QFont SansFont(int pixelSize, bool bold = false);
