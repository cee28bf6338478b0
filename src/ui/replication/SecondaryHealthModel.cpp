#include "ui/replication/SecondaryHealthModel.h"

#include <QLocale>

#include "ui/widgets/Palette.h"

namespace korvi {

namespace {

const QString noValue = QStringLiteral("—");

QString serialText(const std::optional<quint32>& serial) {
    return serial ? QString::number(*serial) : noValue;
}

QColor stateColor(ReplicationState state) {
    switch (state) {
    case ReplicationState::inSync:
        return namedColor(NamedColor::green);
    case ReplicationState::behind:
    case ReplicationState::ahead:
        return namedColor(NamedColor::orange);
    case ReplicationState::notServing:
    case ReplicationState::notAnswering:
    case ReplicationState::primaryNotAnswering:
        return namedColor(NamedColor::red);
    case ReplicationState::unchecked:
        break;
    }
    return namedColor(NamedColor::gray);
}

} // namespace

SecondaryHealthModel::SecondaryHealthModel(ReplicationHealth* health, QObject* parent)
    : QAbstractTableModel(parent), m_health(health) {
    if (!health)
        return;
    connect(health, &ReplicationHealth::statusesReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(health, &ReplicationHealth::statusChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, columns - 1)); });
}

int SecondaryHealthModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_health ? 0 : int(m_health->statuses().size());
}

int SecondaryHealthModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QString SecondaryHealthModel::cellText(const ReplicationStatus& status, int column) {
    switch (column) {
    case secondaryColumn:
        return tr("%1 (%2 port %3)")
            .arg(status.secondary.name, status.secondary.address,
                 QString::number(status.secondary.port));
    case zoneColumn:
        return status.zone;
    case stateColumn:
        if (status.state == ReplicationState::behind)
            return tr("Behind by %1").arg(status.distance);
        if (status.state == ReplicationState::ahead)
            return tr("Ahead of the primary by %1").arg(status.distance);
        return replicationStateWord(status.state);
    case primarySerialColumn:
        return serialText(status.primarySerial);
    case secondarySerialColumn:
        return serialText(status.secondarySerial);
    case sinceColumn:
        return status.since.isValid()
                   ? QLocale().toString(status.since.toLocalTime(), QLocale::ShortFormat)
                   : noValue;
    }
    return {};
}

QString SecondaryHealthModel::detailText(const ReplicationStatus& status) {
    QStringList lines;
    if (!status.reason.isEmpty())
        lines.append(status.reason);
    if (!status.primaryLogLines.isEmpty())
        lines.append(tr("The primary's log:\n%1").arg(status.primaryLogLines));
    return lines.join(u'\n');
}

QVariant SecondaryHealthModel::data(const QModelIndex& index, int role) const {
    if (!m_health || !index.isValid() || index.row() >= m_health->statuses().size())
        return {};
    const ReplicationStatus& status = m_health->statuses().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(status, index.column());
    case Qt::ToolTipRole: {
        const QString detail = detailText(status);
        return detail.isEmpty() ? QVariant() : QVariant(detail);
    }
    case Qt::ForegroundRole:
        if (index.column() == stateColumn)
            return stateColor(status.state);
        return {};
    case stateRole:
        return int(status.state);
    default:
        return {};
    }
}

QVariant SecondaryHealthModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QStringList titles = {
        tr("Secondary"),        tr("Zone"), tr("State"), tr("Primary Serial"),
        tr("Secondary Serial"), tr("Since")};
    return section >= 0 && section < titles.size() ? QVariant(titles.at(section)) : QVariant();
}

} // namespace korvi
