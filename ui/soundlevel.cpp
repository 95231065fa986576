#include "ui/soundlevel.h"

#include "ui/scaling.h"

#include <QPixmap>

namespace gui {

SoundPicture soundPictureFor(int level)
{
    if (level == 0)
        return SoundPicture::Muted;
    if (level >= 99)
        return SoundPicture::Loud;
    return SoundPicture::Normal;
}

QString soundPicturePath(SoundPicture picture)
{
    switch (picture) {
    case SoundPicture::Muted:
        return QStringLiteral(":new/images/asset/volum0.png");
    case SoundPicture::Loud:
        return QStringLiteral(":new/images/asset/volum2.png");
    case SoundPicture::Normal:
        break;
    }
    return QStringLiteral(":new/images/asset/volum1.png");
}

const QPixmap &soundPixmap(SoundPicture picture)
{
    // In the order of SoundPicture.
    static const QPixmap pictures[] = {loadPicture(soundPicturePath(SoundPicture::Muted)),
                                       loadPicture(soundPicturePath(SoundPicture::Normal)),
                                       loadPicture(soundPicturePath(SoundPicture::Loud))};
    return pictures[static_cast<int>(picture)];
}

} // namespace gui
