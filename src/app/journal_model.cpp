#include "app/journal_model.h"

#include "link/hex_text.h"

#include <QDateTime>

namespace {

// A group row carries tag 0; a frame its command id + 1 (frames recorded
// before any command have id 0).
constexpr quintptr GroupTag = 0;

quintptr FrameTag(quint64 commandId)
{
    return quintptr(commandId + 1);
}

quint64 CommandOf(const QModelIndex& frameIndex)
{
    return quint64(frameIndex.internalId() - 1);
}

QString TimeText(qint64 wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString GroupName(const QString& command)
{
    return command.isEmpty() ? QStringLiteral("вне команд") : command;
}

QString DirectionText(TraceKind kind)
{
    return kind == TraceKind::Sent ? QStringLiteral("передано") : QStringLiteral("принято");
}

}  // namespace

JournalModel::JournalModel(int capacity, QObject* parent)
    : QAbstractItemModel(parent), m_capacity(capacity > 0 ? capacity : 1)
{
}

void JournalModel::TakeChanges(const FrameJournal& journal)
{
    const quint64 revision = journal.Revision();
    if (revision == m_revision)
        return;
    const QList<JournalFrame> changed = journal.ChangedSince(m_revision);
    m_revision = revision;
    for (const JournalFrame& frame : changed)
        Add(frame);
    while (m_frameCount > m_capacity)
        DropOldest();
}

void JournalModel::Reset()
{
    beginResetModel();
    m_groups.clear();
    m_rows.clear();
    m_frameCount = 0;
    endResetModel();
}

void JournalModel::Add(const JournalFrame& frame)
{
    int row = GroupRow(frame.CommandId);
    if (row >= 0) {
        Group& group = m_groups[size_t(row)];
        const QModelIndex parent = createIndex(row, 0, GroupTag);
        if (!group.Frames.empty() && group.Frames.back().Serial == frame.Serial) {
            // An answer that grew: the same row, new bytes.
            group.Frames.back() = frame;
            const int last = int(group.Frames.size()) - 1;
            emit dataChanged(index(last, 0, parent), index(last, ColumnCount - 1, parent));
            return;
        }
        if (!group.Frames.empty() && group.Frames.back().Serial > frame.Serial)
            return;  // already here
        const int at = int(group.Frames.size());
        beginInsertRows(parent, at, at);
        group.Frames.push_back(frame);
        ++m_frameCount;
        endInsertRows();
        return;
    }
    row = int(m_groups.size());
    beginInsertRows({}, row, row);
    Group group;
    group.CommandId = frame.CommandId;
    group.Name = frame.Command;
    group.WallMs = frame.WallMs;
    group.Frames.push_back(frame);
    m_groups.push_back(std::move(group));
    m_rows.insert(frame.CommandId, row);
    ++m_frameCount;
    endInsertRows();
}

void JournalModel::DropOldest()
{
    if (m_groups.empty())
        return;
    Group& first = m_groups.front();
    if (first.Frames.size() > 1) {
        beginRemoveRows(createIndex(0, 0, GroupTag), 0, 0);
        first.Frames.pop_front();
        --m_frameCount;
        endRemoveRows();
        return;
    }
    beginRemoveRows({}, 0, 0);
    m_frameCount -= int(first.Frames.size());
    m_groups.pop_front();
    m_rows.clear();
    for (int i = 0; i < int(m_groups.size()); ++i)
        m_rows.insert(m_groups[size_t(i)].CommandId, i);
    endRemoveRows();
}

int JournalModel::GroupRow(quint64 commandId) const
{
    return m_rows.value(commandId, -1);
}

QModelIndex JournalModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= ColumnCount || row < 0)
        return {};
    if (!parent.isValid())
        return row < int(m_groups.size()) ? createIndex(row, column, GroupTag) : QModelIndex();
    if (parent.internalId() != GroupTag || parent.row() >= int(m_groups.size()))
        return {};
    const Group& group = m_groups[size_t(parent.row())];
    if (row >= int(group.Frames.size()))
        return {};
    return createIndex(row, column, FrameTag(group.CommandId));
}

QModelIndex JournalModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == GroupTag)
        return {};
    const int row = GroupRow(CommandOf(child));
    return row >= 0 ? createIndex(row, 0, GroupTag) : QModelIndex();
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_groups.size());
    if (parent.internalId() != GroupTag || parent.column() != 0 ||
        parent.row() >= int(m_groups.size()))
        return 0;
    return int(m_groups[size_t(parent.row())].Frames.size());
}

int JournalModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (index.internalId() == GroupTag) {
        if (index.row() >= int(m_groups.size()))
            return {};
        const Group& group = m_groups[size_t(index.row())];
        switch (index.column()) {
            // The view spans the first column over the row: it says all.
            case Time:
                return QStringLiteral("%1  %2, кадров: %3")
                    .arg(TimeText(group.WallMs), GroupName(group.Name))
                    .arg(group.Frames.size());
            case Direction: return GroupName(group.Name);
            default: return {};
        }
    }
    const int groupRow = GroupRow(CommandOf(index));
    if (groupRow < 0 || index.row() >= int(m_groups[size_t(groupRow)].Frames.size()))
        return {};
    const JournalFrame& frame = m_groups[size_t(groupRow)].Frames[size_t(index.row())];
    switch (index.column()) {
        case Time: return TimeText(frame.WallMs);
        case Direction: return DirectionText(frame.Kind);
        case Length: return int(frame.Bytes.size());
        case Bytes: return HexText(frame.Bytes);
        case Note: return frame.Note;
        case SinceRequest:
            return frame.SinceRequestMs >= 0 ? QVariant(frame.SinceRequestMs) : QVariant();
        default: return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
        case Time: return QStringLiteral("Время");
        case Direction: return QStringLiteral("Направление");
        case Length: return QStringLiteral("Длина");
        case Bytes: return QStringLiteral("Байты");
        case Note: return QStringLiteral("Описание");
        case SinceRequest: return QStringLiteral("После запроса, мс");
        default: return {};
    }
}
