#pragma once

// Answers from dig, asked asynchronously: a stand-in question source for the served check,
// so that its tests ask the real server the way an administrator would.

#include <QProcess>
#include <QRegularExpression>

#include "manager/ServedAnswers.h"

namespace korvi::test {

using namespace Qt::StringLiterals;

class DigAnswers : public ServedAnswerSource {
public:
    DigAnswers(quint16 port, QObject* parent = nullptr)
        : ServedAnswerSource(parent), m_port(port) {}

    int asked = 0;

    void ask(const QString& name, const QString& type, Completion done) override {
        ++asked;
        auto* process = new QProcess(this);
        connect(process, &QProcess::finished, this, [process, type, done](int code) {
            process->deleteLater();
            done(parse(QString::fromUtf8(process->readAllStandardOutput()), type, code));
        });
        process->start(u"dig"_s, {u"@127.0.0.1"_s, u"-p"_s, QString::number(m_port), name, type,
                                  u"+norecurse"_s, u"+time=1"_s, u"+tries=1"_s, u"+noall"_s,
                                  u"+comments"_s, u"+answer"_s});
    }

    static ServedAnswer parse(const QString& output, const QString& type, int exitCode) {
        ServedAnswer answer;
        static const QRegularExpression status(u"status: ([A-Z]+)"_s);
        const QRegularExpressionMatch match = status.match(output);
        if (exitCode != 0 || !match.hasMatch()) {
            answer.error = output.trimmed();
            return answer;
        }
        answer.answered = true;
        const QString code = match.captured(1);
        answer.rcode = code == u"NOERROR"    ? 0
                       : code == u"SERVFAIL" ? 2
                       : code == u"NXDOMAIN" ? 3
                       : code == u"REFUSED"  ? 5
                                             : 99;
        for (const QString& line : output.split(u'\n')) {
            if (line.isEmpty() || line.startsWith(u';'))
                continue;
            const QStringList fields = line.simplified().split(u' ');
            if (fields.size() < 5 || fields.at(3) != type)
                continue;
            answer.records.append(line.simplified());
            if (type == u"SOA" && fields.size() >= 7)
                answer.serial = fields.at(6).toLongLong();
        }
        return answer;
    }

private:
    quint16 m_port;
};

} // namespace korvi::test
