#include "ui/records/RecordMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include "manager/ZoneExport.h"
#include "ui/records/DNSRecordView.h"

namespace korvi {

QMenu* RecordMenu::build(const DNSZone& zone, const QList<DNSRecord>& selected,
                         DNSRecordView* view) {
    auto* menu = new QMenu(view);
    menu->setObjectName(QStringLiteral("recordMenu"));
    const DNSRecord& first = selected.first();
    const QString type = first.isKept() ? first.keptType : rawValue(first.type);
    const QString owner = ZoneExport::absoluteOwner(first.name, zone.name());
    const QString setName = QStringLiteral("%1 %2").arg(owner, type);

    QAction* copy = menu->addAction(
        selected.size() == 1
            ? QCoreApplication::translate("RecordMenu", "Copy as Zone File Text")
            : QCoreApplication::translate("RecordMenu", "Copy %n Records as Zone File Text",
                                          nullptr, int(selected.size())));
    copy->setObjectName(QStringLiteral("copyRecordsAction"));
    const QString selectedText = ZoneExport::recordsText(zone, selected);
    QObject::connect(copy, &QAction::triggered, view,
                     [selectedText] { QGuiApplication::clipboard()->setText(selectedText); });

    const QList<DNSRecord> set = ZoneExport::recordSet(zone, first.name, type);
    QAction* copySet =
        menu->addAction(QCoreApplication::translate("RecordMenu", "Copy Record Set %1 (%n records)",
                                                    nullptr, int(set.size()))
                            .arg(setName));
    copySet->setObjectName(QStringLiteral("copyRecordSetAction"));
    const QString setText = ZoneExport::recordsText(zone, set);
    QObject::connect(copySet, &QAction::triggered, view,
                     [setText] { QGuiApplication::clipboard()->setText(setText); });

    menu->addSeparator();
    QAction* lookUp =
        menu->addAction(QCoreApplication::translate("RecordMenu", "Look Up %1").arg(setName));
    lookUp->setObjectName(QStringLiteral("lookUpRecordAction"));
    QObject::connect(lookUp, &QAction::triggered, view,
                     [view, owner, type] { Q_EMIT view->lookUpRequested(owner, type); });
    return menu;
}

} // namespace korvi
