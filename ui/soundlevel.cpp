#include "ui/soundlevel.h"

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
    static const QPixmap muted(soundPicturePath(SoundPicture::Muted));
    static const QPixmap normal(soundPicturePath(SoundPicture::Normal));
    static const QPixmap loud(soundPicturePath(SoundPicture::Loud));
    switch (picture) {
    case SoundPicture::Muted:
        return muted;
    case SoundPicture::Loud:
        return loud;
    case SoundPicture::Normal:
        break;
    }
    return normal;
}

} // namespace gui
