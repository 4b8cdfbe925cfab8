#include "text/config_view.h"

#include "link/hex_text.h"

#include <QHash>

#include <algorithm>

namespace {

QString Capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// What the paths of `rows` share, in whole steps and a step's shared name:
// "outputs[1].ack_from_panel" and "outputs[1].ack_input" give
// "outputs[1].ack", "requests.records[13].device" and
// "requests.records[16].count" give "requests.records".
QString SharedPath(const QList<const FieldRow*>& rows)
{
    QStringList shared = rows.first()->Path.split(QLatin1Char('.'));
    for (const FieldRow* row : rows) {
        const QStringList steps = row->Path.split(QLatin1Char('.'));
        qsizetype n = 0;
        while (n < shared.size() && n < steps.size() && shared[n] == steps[n])
            ++n;
        if (n == shared.size())
            continue;
        QString step = shared[n];
        if (n < steps.size()) {
            qsizetype c = 0;
            while (c < step.size() && c < steps[n].size() && step[c] == steps[n][c])
                ++c;
            step.truncate(c);
        } else {
            step.clear();
        }
        if (const qsizetype open = step.indexOf(QLatin1Char('[')); open >= 0)
            step.truncate(open);
        while (step.endsWith(QLatin1Char('_')))
            step.chop(1);
        shared = shared.mid(0, n);
        if (!step.isEmpty())
            shared << step;
    }
    return shared.join(QLatin1Char('.'));
}

// "inputs[3].relays" gives "relays".
QString LastStep(const QString& path)
{
    QString step = path.section(QLatin1Char('.'), -1);
    return step.left(step.indexOf(QLatin1Char('[')));
}

int ByteInBlock(const FieldRow& row)
{
    return row.Offset - BlockDirectory[row.Block].Offset;
}

// The names of a line of other bytes: a field's part where it has one,
// else its byte in the block, neighbours drawn together: "флаги 2-7, 4, 6-19".
QString BytesNames(const QList<const FieldRow*>& rows)
{
    QStringList names;
    int first = -1;
    int last = -1;
    const auto close = [&] {
        if (first >= 0)
            names << (first == last ? QString::number(first)
                                    : QStringLiteral("%1-%2").arg(first).arg(last));
        first = last = -1;
    };
    for (const FieldRow* row : rows) {
        if (!row->Part.isEmpty()) {
            close();
            names << row->Part;
            continue;
        }
        const int byte = ByteInBlock(*row);
        if (first >= 0 && byte == last + 1) {
            last = byte + row->Width - 1;
            continue;
        }
        close();
        first = byte;
        last = byte + row->Width - 1;
    }
    close();
    return names.join(QStringLiteral(", "));
}

// The fields' bits in their bytes, low byte first.
QByteArray RawBytes(const QList<const FieldRow*>& rows, const ConfigImage& image)
{
    QByteArray bytes;
    for (const FieldRow* row : rows)
        for (int i = 0; i < row->Width; ++i)
            bytes.append(char(image[row->Offset + i] & (row->Width == 1 ? row->Mask : 0xFF)));
    return bytes;
}

struct Pending {
    ViewLine Line;
    FieldJoin Join;
    bool Unused;  // network records past the count
    QString LineName;
};

// The line's text; false when the line is left out.
bool Finish(Pending& p, const FieldSectionInfo& info, const ConfigImage& image)
{
    ViewLine& line = p.Line;
    const QList<const FieldRow*>& rows = line.Rows;
    line.Id = rows.size() == 1 ? rows.first()->Path : SharedPath(rows);
    line.Key = LastStep(line.Id);
    if (p.Join == FieldJoin::Bytes) {
        line.Label = p.Unused ? QStringLiteral("Неиспользуемые записи")
                              : QStringLiteral("Прочие байты (%1)").arg(BytesNames(rows));
    } else if (line.Item > 0) {
        line.Label = QStringLiteral("%1 %2").arg(info.ItemName).arg(line.Item);
        if (!p.LineName.isEmpty())
            line.Label += QStringLiteral(": ") + p.LineName;
    } else {
        line.Label = p.LineName;
    }
    line.Column = p.Join == FieldJoin::Bytes        ? line.Label
                  : !rows.first()->Column.isEmpty() ? rows.first()->Column
                                                    : Capitalised(p.LineName);
    switch (p.Join) {
        case FieldJoin::Own: {
            const FieldRow& row = *rows.first();
            const int value = FieldValue(row, image);
            if (row.Optional && !FieldIsSet(row, value))
                return false;
            line.Text = FieldValueText(row, value);
            line.NoteKind = row.Note;
            line.Note = FieldNoteText(row, value);
            line.NoteSentence = FieldNoteSentence(row, value);
            return true;
        }
        case FieldJoin::Set: {
            QStringList parts;
            for (const FieldRow* row : rows) {
                const int value = FieldValue(*row, image);
                if (FieldIsSet(*row, value))
                    parts << (row->Format == FieldFormat::Flag ? row->Part
                                                               : FieldValueText(*row, value));
            }
            line.Text = parts.isEmpty() ? QStringLiteral("—") : parts.join(QStringLiteral(", "));
            return true;
        }
        case FieldJoin::Bytes: {
            const QByteArray bytes = RawBytes(rows, image);
            line.Text = HexText(bytes);
            return !p.Unused || std::any_of(bytes.begin(), bytes.end(), [](char b) { return b; });
        }
        case FieldJoin::Record: {
            QStringList parts;
            for (const FieldRow* row : rows) {
                const int value = FieldValue(*row, image);
                if (row->Optional && !FieldIsSet(*row, value))
                    continue;
                const QString text = FieldValueText(*row, value);
                line.Parts << ViewPart{row, LastStep(row->Path),
                                       row->Column.isEmpty() ? Capitalised(row->Part) : row->Column,
                                       text};
                parts << row->Part + QLatin1Char(' ') + text;
            }
            line.Text = parts.join(QStringLiteral(", "));
            return true;
        }
    }
    return true;
}

ViewSection SectionView(const FieldSectionInfo& info, const ConfigImage& image)
{
    QList<const FieldRow*> rows;
    for (const FieldRow& row : ConfigFields())
        if (row.Section == info.Section)
            rows << &row;
    // A table with a count uses its first records only.
    int used = -1;
    int records = 0;
    for (const FieldRow* row : rows)
        if (row->Join == FieldJoin::Record)
            records = std::max(records, row->Item);
    for (const FieldRow* row : rows)
        if (row->Format == FieldFormat::RecordCount)
            used = std::min(FieldValue(*row, image), records);

    QList<Pending> pending;
    QHash<QString, qsizetype> at;
    for (const FieldRow* row : rows) {
        const bool unused = row->Join == FieldJoin::Record && used >= 0 && row->Item > used;
        const FieldJoin join = unused ? FieldJoin::Bytes : row->Join;
        const QString key = unused ? QStringLiteral("unused")
                            : join == FieldJoin::Bytes
                                ? QStringLiteral("bytes")
                                : QStringLiteral("%1 %2").arg(row->Item).arg(row->Line);
        if (!at.contains(key)) {
            at.insert(key, pending.size());
            Pending p{{}, join, unused, row->Line};
            p.Line.Item = join == FieldJoin::Bytes ? 0 : row->Item;
            pending << p;
        }
        pending[at.value(key)].Line.Rows << row;
    }
    ViewSection section{&info, {}};
    for (Pending& p : pending)
        if (Finish(p, info, image))
            section.Lines << p.Line;
    return section;
}

}  // namespace

QList<ViewSection> ConfigView(const ConfigImage& image)
{
    QList<ViewSection> view;
    for (const FieldSectionInfo& info : FieldSections())
        view << SectionView(info, image);
    return view;
}

QString NoteTitle(FieldNote note)
{
    return note == FieldNote::Locks ? QStringLiteral("Заблокировано") : QString();
}

QString NoteKey(FieldNote note)
{
    return note == FieldNote::Locks ? QStringLiteral("locks") : QString();
}

QString TextWithNote(const ViewLine& line)
{
    return line.NoteSentence.isEmpty()
               ? line.Text
               : QStringLiteral("%1 (%2)").arg(line.Text, line.NoteSentence);
}
