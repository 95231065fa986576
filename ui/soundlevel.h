#pragma once

#include <QString>

class QPixmap;

namespace gui {

enum class SoundPicture { Muted, Normal, Loud };

// Muted at 0, loud from 99 (the top of the slider) up, normal in between.
SoundPicture soundPictureFor(int level);

// Resource path of each picture.
QString soundPicturePath(SoundPicture picture);

// The picture itself (its 2× render where a screen's factor is 2 or more),
// decoded on first use and kept for the whole run.
const QPixmap &soundPixmap(SoundPicture picture);

} // namespace gui
