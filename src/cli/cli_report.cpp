#include "cli/cli_report.h"

#include "text/config_document.h"

#include <QJsonDocument>

#include <unistd.h>

CliReport::CliReport(const CliOptions& options, QTextStream& out, QTextStream& err)
    : m_options(options), m_out(out), m_err(err), m_liveLine(::isatty(STDERR_FILENO) == 1)
{
}

QString CliReport::StatusWord(Status status)
{
    switch (status) {
        case Status::Ok: return QStringLiteral("ok");
        case Status::NotConfirmed: return QStringLiteral("not_confirmed");
        case Status::Differs: return QStringLiteral("differs");
        case Status::Failed: return QStringLiteral("failed");
    }
    return {};
}

CliReport::Status CliReport::StatusOf(PanelOutcome outcome)
{
    switch (outcome) {
        case PanelOutcome::Done: return Status::Ok;
        case PanelOutcome::NotConfirmed: return Status::NotConfirmed;
        case PanelOutcome::Differs: return Status::Differs;
        case PanelOutcome::Failed: return Status::Failed;
    }
    return Status::Failed;
}

QString CliReport::MessageOf(Status status, const QString& message)
{
    if (status == Status::NotConfirmed && !message.startsWith(QStringLiteral("не подтверждено")))
        return QStringLiteral("не подтверждено: ") + message;
    return message;
}

void CliReport::Progress(int done, int total, uint8_t address)
{
    if (total < 2)
        return;
    const QString text = QStringLiteral("[%1/%2] №%3").arg(done).arg(total).arg(address);
    if (m_liveLine) {
        m_err << "\r\x1b[K" << text;
        m_lineOpen = true;
    } else {
        m_err << text << '\n';
    }
    m_err.flush();
}

void CliReport::EndProgressLine()
{
    if (m_lineOpen) {
        m_err << "\r\x1b[K";
        m_err.flush();
        m_lineOpen = false;
    }
}

void CliReport::Add(Status status, const QString& line, const QString& message, QJsonObject fields)
{
    m_failed = m_failed || status == Status::Failed || status == Status::Differs;
    m_unconfirmed = m_unconfirmed || status == Status::NotConfirmed;
    fields.insert("status", StatusWord(status));
    fields.insert("message", message);
    m_items << fields;
    if (!m_options.Json && !line.isEmpty()) {
        EndProgressLine();
        m_out << line << '\n';
        m_out.flush();
    }
}

int CliReport::Finish(const QString& listKey, QJsonObject extra)
{
    EndProgressLine();
    if (m_options.Json) {
        extra.insert("schema_version", JsonSchemaVersion);
        extra.insert("command", m_options.Command);
        extra.insert(listKey, m_items);
        m_out << QJsonDocument(extra).toJson(QJsonDocument::Indented);
        m_out.flush();
    }
    return m_failed ? CliExit::Failed : m_unconfirmed ? CliExit::NotConfirmed : CliExit::Ok;
}
