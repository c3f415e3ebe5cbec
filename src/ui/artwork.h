#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

namespace skerrow::ui {

// Registers the compiled-in artwork; safe to call more than once.
void InitArtworkResources();

// The resource path of one picture, e.g. ArtworkPath("next_up") is ":/skerrow/next_up.png".
QString ArtworkPath(const char* stem);

// The program icon in all its sizes (256 down to 16 pixels).
QIcon ProgramIcon();
// The pointing hand of the about box's links (hot spot at the finger tip, 12, 1).
QCursor HandCursor();

}  // namespace skerrow::ui
