#pragma once

#include "link/frame_journal.h"

#include <QAbstractItemModel>
#include <QHash>

#include <deque>

// The traffic journal as a tree: a row per command, under it its frames,
// the newest last. It mirrors a FrameJournal by taking its changes.
class JournalModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Length, Bytes, Note, SinceRequest, ColumnCount };

    explicit JournalModel(int capacity = FrameJournal::DefaultCapacity, QObject* parent = nullptr);

    // Adds the frames the journal added or grew since the last call.
    void TakeChanges(const FrameJournal& journal);
    // Empties the model; the next TakeChanges starts from the journal's
    // present state.
    void Reset();
    int FrameCount() const { return m_frameCount; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Group {
        quint64 CommandId = 0;
        QString Name;
        qint64 WallMs = 0;
        std::deque<JournalFrame> Frames;
    };

    void Add(const JournalFrame& frame);
    void DropOldest();
    int GroupRow(quint64 commandId) const;

    const int m_capacity;
    std::deque<Group> m_groups;
    // Group rows by command id; rebuilt when a group leaves the front.
    QHash<quint64, int> m_rows;
    int m_frameCount = 0;
    quint64 m_revision = 0;
};
