// SPDX-License-Identifier: GPL-3.0-or-later
// Writes gridwrighter-batch's manual page and bash completion from the tables
// its --help is made from, so that neither can name an edit or option the
// command does not take, nor miss one it takes:
//   batch_docs VERSION MANUAL_TEMPLATE MANUAL COMPLETION_TEMPLATE COMPLETION
// The templates hold the prose; the @NAMES@ in them are filled here.

#include "batch/BatchEdits.h"
#include "batch/BatchOptionHelp.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>

namespace {

// One entry of the usage text: "  --sheet NAME   edit only ..." with its
// continuation lines, and for an edit the options listed under it.
struct HelpEntry
{
    QString term;
    QString text;
    QVector<HelpEntry> nested;
};

// "formula-to-value RANGE replace ...": the term is the name with the
// options and values after it, up to the first word of the description.
HelpEntry splitTerm(const QString &content)
{
    static const QRegularExpression termWord(QStringLiteral("^(-.*|[A-Z][A-Z0-9,/]*)$"));
    QStringList words = content.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int termWords = 1;
    while (termWords < words.size() && termWord.match(words.at(termWords)).hasMatch())
        ++termWords;
    return {words.mid(0, termWords).join(QLatin1Char(' ')), words.mid(termWords).join(QLatin1Char(' ')), {}};
}

// Terms start in the first columns, descriptions further right; a line of
// description only continues the entry before it.
QVector<HelpEntry> parseHelp(const QString &help)
{
    QVector<HelpEntry> entries;
    HelpEntry *last = nullptr;
    for (const QString &line : help.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int indent = line.indexOf(QRegularExpression(QStringLiteral("\\S")));
        if (indent >= 10 && last) {
            last->text += QLatin1Char(' ') + line.trimmed();
            continue;
        }
        const HelpEntry entry = splitTerm(line.trimmed());
        if (indent > 2 && !entries.isEmpty()) {
            entries.last().nested.append(entry);
            last = &entries.last().nested.last();
        } else {
            entries.append(entry);
            last = &entries.last();
        }
    }
    return entries;
}

QString roff(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\e")).replace(QLatin1Char('-'), QLatin1String("\\-"));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QLatin1String("\\&"));
    return text;
}

// "--start ROW,COL" as "\fB\-\-start\fR \fIROW,COL\fR": names bold, values italic.
QString roffTerm(const QString &term)
{
    QStringList words;
    for (const QString &word : term.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool name = words.isEmpty() || word.startsWith(QLatin1Char('-'));
        const QString bare = word.endsWith(QLatin1Char(',')) ? word.chopped(1) : word;
        words << QStringLiteral("\\f%1%2\\fR%3")
                     .arg(name ? QStringLiteral("B") : QStringLiteral("I"), roff(bare),
                          bare.size() < word.size() ? QStringLiteral(",") : QString());
    }
    return words.join(QLatin1Char(' '));
}

QString roffEntries(const QVector<HelpEntry> &entries)
{
    QString text;
    for (const HelpEntry &entry : entries) {
        text += QStringLiteral(".TP\n%1\n%2\n").arg(roffTerm(entry.term), roff(entry.text));
        if (!entry.nested.isEmpty())
            text += QStringLiteral(".RS\n") + roffEntries(entry.nested) + QStringLiteral(".RE\n");
    }
    return text;
}

QString manualEdits()
{
    QString text;
    for (const BatchEdit &edit : batchEdits())
        text += roffEntries(parseHelp(QString::fromUtf8(edit.help)));
    text.chop(1); // the template's line ends it
    return text;
}

QString manualOptions()
{
    QString text;
    for (const BatchOptionHelp &option : batchOptionHelp())
        text += roffEntries(parseHelp(option.help));
    text.chop(1);
    return text;
}

QMap<QString, QString> completionFields()
{
    QStringList edits;
    for (const BatchEdit &edit : batchEdits())
        edits << QString::fromUtf8(edit.name);
    QStringList options, fileOptions, valueOptions;
    for (const BatchOptionHelp &option : batchOptionHelp()) {
        const QString name = QStringLiteral("--") + option.name;
        options << name;
        if (!option.shortName.isEmpty())
            options << QStringLiteral("-") + option.shortName;
        if (option.valueName == QLatin1String("FILE"))
            fileOptions << name;
        else if (!option.valueName.isEmpty())
            valueOptions << name;
    }
    return {{QStringLiteral("@EDITS@"), edits.join(QLatin1Char(' '))},
            {QStringLiteral("@OPTIONS@"), options.join(QLatin1Char(' '))},
            {QStringLiteral("@FILE_OPTIONS@"), fileOptions.join(QLatin1String(" | "))},
            {QStringLiteral("@VALUE_OPTIONS@"), valueOptions.join(QLatin1String(" | "))},
            {QStringLiteral("@ALL_VALUE_OPTIONS@"), (fileOptions + valueOptions).join(QLatin1String(" | "))}};
}

bool fill(const QString &templatePath, const QString &outputPath, const QMap<QString, QString> &fields)
{
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(in.readAll());
    for (auto field = fields.begin(); field != fields.end(); ++field)
        text.replace(field.key(), field.value());
    QFile out(outputPath);
    return out.open(QIODevice::WriteOnly) && out.write(text.toUtf8()) >= 0 && out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream err(stderr);
    if (arguments.size() != 6) {
        err << "usage: batch_docs VERSION MANUAL_TEMPLATE MANUAL COMPLETION_TEMPLATE COMPLETION\n";
        return 2;
    }
    const QMap<QString, QString> manual{{QStringLiteral("@VERSION@"), arguments.at(1)},
                                        {QStringLiteral("@EDITS@"), manualEdits()},
                                        {QStringLiteral("@OPTIONS@"), manualOptions()}};
    if (!fill(arguments.at(2), arguments.at(3), manual) || !fill(arguments.at(4), arguments.at(5), completionFields())) {
        err << "batch_docs: cannot read a template or write " << arguments.at(3) << " or " << arguments.at(5) << '\n';
        return 1;
    }
    return 0;
}
