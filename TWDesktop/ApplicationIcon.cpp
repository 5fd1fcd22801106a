#include "ApplicationIcon.h"

#include <QDir>

// The icon's resources sit in a static library: naming their initialiser keeps them linked.
// (Q_INIT_RESOURCE declares the initialiser, so it is called outside every namespace.)
static void initIconResources() {
    Q_INIT_RESOURCE(tw_fluegas_icon);
}

namespace tw::fluegas {

QIcon applicationIcon() {
    initIconResources();
    const QDir folder(QStringLiteral(":/icons/tw-fluegas"));
    QIcon icon;
    for (const QString& name : folder.entryList(QDir::Files)) icon.addFile(folder.filePath(name));
    return icon;
}

}  // namespace tw::fluegas
