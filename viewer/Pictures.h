// The pictures of the welcome screen and the About page, drawn at run time:
// the maker's logo and small synthetic seismic sections.
#pragma once

#include <QPixmap>

constexpr int kLogoWidth = 250;
constexpr int kLogoHeight = 238;
constexpr int kSectionPictureWidth = 340;
constexpr int kSectionPictureHeight = 350;
// The welcome screen rotates the logo and this many section pictures.
constexpr int kSectionPictureCount = 9;

QPixmap MakerLogo();
// Section picture `number`, 0 to kSectionPictureCount - 1; each shows a
// different structure, alternately as wiggles and as colour density.
QPixmap SectionPicture(int number);
