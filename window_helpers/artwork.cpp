#include "artwork.h"

namespace artwork {

QIcon applicationIcon()
{
    return QIcon(QString::fromLatin1(iconPath));
}

} // namespace artwork
