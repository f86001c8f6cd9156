// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/InMemorySpreadsheetServer.h"

#include "automation/AutomationObject.h"
#include "automation/AutomationRegistry.h"
#include "automation/DeferredSaves.h"

#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>

using Sheet = InMemorySpreadsheetServer::Sheet;
using Workbook = InMemorySpreadsheetServer::Workbook;

struct InMemorySpreadsheetServer::State
{
    mutable QMutex lock;
    QHash<QString, Workbook> workbooks;
    QSet<QString> unopenable;
    QSet<QString> unsavable;
    int deferredSaveMs = -1; // saves are not deferred
    QHash<QString, int> deferredSaveMsOf;
    std::function<void(const QString &)> saveEnds;
    QSet<QString> savesEnded;
    QList<Call> calls;
    int started = 0;
    int quit = 0;

    void record(const QString &object, const QByteArray &member, const QVariantList &arguments)
    {
        QMutexLocker locker(&lock);
        calls.append({object, QString::fromLatin1(member), arguments});
    }
};

namespace {

using StatePtr = std::shared_ptr<InMemorySpreadsheetServer::State>;

struct Area
{
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    bool contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
};

int columnNumber(const QString &letters)
{
    int number = 0;
    for (QChar c : letters.toUpper())
        number = number * 26 + (c.unicode() - 'A' + 1);
    return number;
}

// A1, B2:D2, B:B, B:D, 1:1, 1:9, with optional $; null when malformed.
bool parseA1(const QString &text, const Sheet &sheet, Area *area)
{
    static const QRegularExpression cells(
        QStringLiteral("^\\$?([A-Za-z]{1,3})\\$?([0-9]+)(?::\\$?([A-Za-z]{1,3})\\$?([0-9]+))?$"));
    static const QRegularExpression columns(QStringLiteral("^\\$?([A-Za-z]{1,3}):\\$?([A-Za-z]{1,3})$"));
    static const QRegularExpression rows(QStringLiteral("^\\$?([0-9]+):\\$?([0-9]+)$"));
    QRegularExpressionMatch m;
    if ((m = cells.match(text)).hasMatch()) {
        area->left = columnNumber(m.captured(1));
        area->top = m.captured(2).toInt();
        area->right = m.captured(3).isEmpty() ? area->left : columnNumber(m.captured(3));
        area->bottom = m.captured(4).isEmpty() ? area->top : m.captured(4).toInt();
    } else if ((m = columns.match(text)).hasMatch()) {
        area->left = columnNumber(m.captured(1));
        area->right = columnNumber(m.captured(2));
        area->top = 1;
        area->bottom = sheet.rowLimit;
    } else if ((m = rows.match(text)).hasMatch()) {
        area->top = m.captured(1).toInt();
        area->bottom = m.captured(2).toInt();
        area->left = 1;
        area->right = sheet.columnLimit;
    } else {
        return false;
    }
    if (area->top > area->bottom)
        std::swap(area->top, area->bottom);
    if (area->left > area->right)
        std::swap(area->left, area->right);
    return area->top >= 1 && area->left >= 1 && area->bottom <= sheet.rowLimit
        && area->right <= sheet.columnLimit;
}

class MemoryObject : public AutomationObject
{
public:
    MemoryObject(StatePtr state, QString kind)
        : m_state(std::move(state))
        , m_kind(std::move(kind))
    {
    }

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override
    {
        m_state->record(m_kind, member, arguments);
        QMutexLocker locker(&m_state->lock);
        m_subFailure.clear();
        AutomationObjectPtr sub = sub_(member, arguments);
        if (!sub)
            error.raise(-1, m_kind, m_subFailure.isEmpty() ? QStringLiteral("%1 has no %2").arg(m_kind, QString::fromLatin1(member))
                                                           : m_subFailure);
        return sub;
    }

    QVariant call(const QByteArray &member, const QVariantList &arguments,
                  AutomationError &error) override
    {
        m_state->record(m_kind, member, arguments);
        QMutexLocker locker(&m_state->lock);
        QString failure;
        const QVariant result = call_(member, arguments, &failure);
        if (!failure.isEmpty())
            error.raise(-1, m_kind, failure);
        return result;
    }

    QVariant property(const QByteArray &name, AutomationError &error) override
    {
        m_state->record(m_kind, name, {});
        QMutexLocker locker(&m_state->lock);
        const QVariant value = read_(name);
        if (!value.isValid())
            error.raise(-1, m_kind, QStringLiteral("no property %1").arg(QString::fromLatin1(name)));
        return value;
    }

    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &) override
    {
        m_state->record(m_kind, name, {value});
        return true;
    }

protected:
    virtual AutomationObjectPtr sub_(const QByteArray &, const QVariantList &) { return nullptr; }
    virtual QVariant call_(const QByteArray &member, const QVariantList &, QString *failure)
    {
        *failure = QStringLiteral("unknown member %1").arg(QString::fromLatin1(member));
        return QVariant();
    }
    virtual QVariant read_(const QByteArray &) { return QVariant(); }

    StatePtr m_state;
    QString m_kind;
    // Why sub_ gave no object, when it says.
    QString m_subFailure;
};

bool isFormula(const QVariant &cell)
{
    return cell.userType() == QMetaType::QString && cell.toString().startsWith(QLatin1Char('='));
}

// Rows or columns of a range: only their count is asked for.
class LineCount : public MemoryObject
{
public:
    LineCount(StatePtr state, int count)
        : MemoryObject(std::move(state), QStringLiteral("lines"))
        , m_count(count)
    {
    }

protected:
    QVariant read_(const QByteArray &name) override
    {
        return name == "Count" ? QVariant(m_count) : QVariant();
    }

private:
    int m_count;
};

class RangeObject;

class LinksObject : public MemoryObject
{
public:
    LinksObject(StatePtr state, QString path, int sheetIndex, Area area, bool ofRange)
        : MemoryObject(std::move(state), ofRange ? QStringLiteral("range links") : QStringLiteral("sheet links"))
        , m_path(std::move(path))
        , m_sheetIndex(sheetIndex)
        , m_area(area)
    {
    }

protected:
    QVariant call_(const QByteArray &member, const QVariantList &arguments, QString *failure) override;
    QVariant read_(const QByteArray &name) override;

private:
    Sheet &sheet() { return m_state->workbooks[m_path].sheets[m_sheetIndex]; }

    QString m_path;
    int m_sheetIndex;
    Area m_area;
};

// Blocks of one sheet, as SpecialCells gives them, and their Areas.
class AreasObject : public MemoryObject
{
public:
    AreasObject(StatePtr state, QString path, int sheetIndex, QList<Area> blocks)
        : MemoryObject(std::move(state), QStringLiteral("areas"))
        , m_path(std::move(path))
        , m_sheetIndex(sheetIndex)
        , m_blocks(std::move(blocks))
    {
    }

protected:
    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read_(const QByteArray &name) override
    {
        return name == "Count" ? QVariant(m_blocks.size()) : QVariant();
    }

private:
    QString m_path;
    int m_sheetIndex;
    QList<Area> m_blocks;
};

class RangeObject : public MemoryObject
{
public:
    RangeObject(StatePtr state, QString path, int sheetIndex, Area area)
        : MemoryObject(std::move(state), QStringLiteral("range"))
        , m_path(std::move(path))
        , m_sheetIndex(sheetIndex)
        , m_area(area)
    {
    }

    Area area() const { return m_area; }
    int sheetIndex() const { return m_sheetIndex; }

protected:
    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &arguments) override
    {
        if (member == "Rows")
            return std::make_shared<LineCount>(m_state, m_area.bottom - m_area.top + 1);
        if (member == "Columns")
            return std::make_shared<LineCount>(m_state, m_area.right - m_area.left + 1);
        if (member == "Hyperlinks()")
            return std::make_shared<LinksObject>(m_state, m_path, m_sheetIndex, m_area, true);
        if (member == "Areas")
            return std::make_shared<AreasObject>(m_state, m_path, m_sheetIndex, QList<Area>{m_area});
        if (member == "SpecialCells(int)" && arguments.value(0).toInt() == -4123) {
            const QList<Area> blocks = formulaRuns();
            if (blocks.isEmpty()) {
                m_subFailure = QStringLiteral("No cells were found.");
                return nullptr;
            }
            return std::make_shared<AreasObject>(m_state, m_path, m_sheetIndex, blocks);
        }
        return nullptr;
    }

    QVariant read_(const QByteArray &name) override
    {
        if (name == "Row")
            return m_area.top;
        if (name == "Column")
            return m_area.left;
        if (name == "Count")
            return double(m_area.bottom - m_area.top + 1) * (m_area.right - m_area.left + 1);
        if (name == "HasFormula") {
            int formulas = 0;
            for (const Area &run : formulaRuns())
                formulas += run.right - run.left + 1;
            if (formulas == 0)
                return false;
            return formulas == (m_area.bottom - m_area.top + 1) * (m_area.right - m_area.left + 1) ? QVariant(true)
                                                                                                  : QVariant();
        }
        return QVariant();
    }

    QVariant call_(const QByteArray &member, const QVariantList &arguments, QString *failure) override
    {
        Sheet &s = sheet();
        const bool wholeRows = m_area.left == 1 && m_area.right == s.columnLimit;
        const bool wholeColumns = m_area.top == 1 && m_area.bottom == s.rowLimit;
        if (member == "Insert()") {
            if (wholeRows)
                return shift(true, +1, failure);
            if (wholeColumns)
                return shift(false, +1, failure);
        } else if (member == "Delete(int)") {
            if (wholeRows && arguments.value(0).toInt() == -4162)
                return shift(true, -1, failure);
            if (wholeColumns && arguments.value(0).toInt() == -4159)
                return shift(false, -1, failure);
        } else if (member == "SetFormula(const QVariant&)") {
            const QString formula = arguments.value(0).toString();
            if (formula.count(QLatin1Char('(')) != formula.count(QLatin1Char(')'))) {
                *failure = QStringLiteral("formula refused");
                return QVariant();
            }
            write(formula);
            return QVariant();
        } else if (member == "FormulaR1C1()") {
            // Marks the text as read in R1C1 form; tests check where it went.
            const QString held = s.cells.value({m_area.top, m_area.left}).toString();
            return held.startsWith(QLatin1String("R1C1:")) ? held : QStringLiteral("R1C1:") + held;
        } else if (member == "SetFormulaR1C1(const QVariant&)") {
            write(arguments.value(0));
            return QVariant();
        } else if (member == "Value()" || member == "Value2()") {
            if (m_area.top == m_area.bottom && m_area.left == m_area.right)
                return value(m_area.top, m_area.left);
            QVariantList rows;
            for (int r = m_area.top; r <= m_area.bottom; ++r) {
                QVariantList row;
                for (int c = m_area.left; c <= m_area.right; ++c)
                    row.append(value(r, c));
                rows.append(QVariant(row));
            }
            return rows;
        } else if (member == "SetValue(const QVariant&)" || member == "SetValue2(const QVariant&)") {
            const QVariant value = arguments.value(0);
            if (value.type() == QVariant::List) {
                const QVariantList rows = value.toList();
                for (int r = 0; r < rows.size(); ++r) {
                    const QVariantList row = rows.at(r).toList();
                    for (int c = 0; c < row.size(); ++c)
                        put(m_area.top + r, m_area.left + c, row.at(c));
                }
            } else {
                write(value);
            }
            return QVariant();
        }
        return MemoryObject::call_(member, arguments, failure);
    }

private:
    Sheet &sheet() { return m_state->workbooks[m_path].sheets[m_sheetIndex]; }

    QVariant value(int row, int column)
    {
        const QVariant held = sheet().cells.value({row, column});
        return isFormula(held) ? sheet().results.value({row, column}) : held;
    }

    // The formula cells of the range: each row's runs of them.
    QList<Area> formulaRuns()
    {
        QList<Area> runs;
        const Sheet &s = sheet();
        for (auto it = s.cells.cbegin(); it != s.cells.cend(); ++it) {
            const int row = it.key().first;
            const int column = it.key().second;
            if (!m_area.contains(row, column) || !isFormula(it.value()))
                continue;
            if (!runs.isEmpty() && runs.last().top == row && runs.last().right == column - 1)
                runs.last().right = column;
            else
                runs.append(Area{row, column, row, column});
        }
        return runs;
    }

    void put(int row, int column, const QVariant &value)
    {
        sheet().results.remove({row, column});
        if (value.isValid())
            sheet().cells.insert({row, column}, value);
        else
            sheet().cells.remove({row, column});
    }

    void write(const QVariant &value)
    {
        for (int r = m_area.top; r <= m_area.bottom; ++r)
            for (int c = m_area.left; c <= m_area.right; ++c)
                put(r, c, value);
    }

    QVariant shift(bool rows, int by, QString *failure)
    {
        Sheet &s = sheet();
        const int at = rows ? m_area.top : m_area.left;
        const int limit = rows ? s.rowLimit : s.columnLimit;
        QMap<std::pair<int, int>, QVariant> moved;
        for (auto it = s.cells.cbegin(); it != s.cells.cend(); ++it) {
            int row = it.key().first;
            int column = it.key().second;
            int &line = rows ? row : column;
            if (line == at && by < 0)
                continue;
            if (line >= at)
                line += by;
            if (line > limit) {
                *failure = QStringLiteral("content would leave the sheet");
                return QVariant();
            }
            moved.insert({row, column}, it.value());
        }
        s.cells = moved;
        return true;
    }

    QString m_path;
    int m_sheetIndex;
    Area m_area;
};

AutomationObjectPtr AreasObject::sub_(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "Areas")
        return std::make_shared<AreasObject>(m_state, m_path, m_sheetIndex, m_blocks);
    const int index = arguments.value(0).toInt();
    if (member != "Item(int)" || index < 1 || index > m_blocks.size())
        return nullptr;
    return std::make_shared<RangeObject>(m_state, m_path, m_sheetIndex, m_blocks.at(index - 1));
}

QVariant LinksObject::call_(const QByteArray &member, const QVariantList &arguments, QString *failure)
{
    if (member == "Add(const QVariant&,const QVariant&,const QVariant&)") {
        auto anchor = std::dynamic_pointer_cast<RangeObject>(automationObjectFromVariant(arguments.value(0)));
        if (!anchor) {
            *failure = QStringLiteral("the anchor is not a range");
            return QVariant();
        }
        const Area a = anchor->area();
        for (int r = a.top; r <= a.bottom; ++r)
            for (int c = a.left; c <= a.right; ++c)
                sheet().links.append({r, c, arguments.value(1).toString(), arguments.value(2).toString()});
        return QVariant();
    }
    if (member == "Delete()") {
        QList<InMemorySpreadsheetServer::Link> &links = sheet().links;
        for (int i = links.size() - 1; i >= 0; --i)
            if (m_area.contains(links.at(i).row, links.at(i).column))
                links.removeAt(i);
        return QVariant();
    }
    return MemoryObject::call_(member, arguments, failure);
}

QVariant LinksObject::read_(const QByteArray &name)
{
    if (name != "Count")
        return QVariant();
    int inside = 0;
    for (const auto &link : sheet().links)
        inside += m_area.contains(link.row, link.column) ? 1 : 0;
    return inside;
}

class SheetObject : public MemoryObject
{
public:
    SheetObject(StatePtr state, QString path, int index)
        : MemoryObject(std::move(state), QStringLiteral("sheet"))
        , m_path(std::move(path))
        , m_index(index)
    {
    }

protected:
    QVariant read_(const QByteArray &name) override
    {
        return name == "Name" ? QVariant(sheet().name) : QVariant();
    }

    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &arguments) override
    {
        const Sheet &s = sheet();
        if (s.chart)
            return nullptr;
        Area area;
        if (member == "Rows(int)") {
            const int row = arguments.value(0).toInt();
            if (row < 1 || row > s.rowLimit)
                return nullptr;
            area = {row, 1, row, s.columnLimit};
        } else if (member == "Columns(int)") {
            const int column = arguments.value(0).toInt();
            if (column < 1 || column > s.columnLimit)
                return nullptr;
            area = {1, column, s.rowLimit, column};
        } else if (member == "Cells(int,int)") {
            const int row = arguments.value(0).toInt();
            const int column = arguments.value(1).toInt();
            if (row < 1 || row > s.rowLimit || column < 1 || column > s.columnLimit)
                return nullptr;
            area = {row, column, row, column};
        } else if (member == "Range(const QVariant&)") {
            if (!parseA1(arguments.value(0).toString(), s, &area))
                return nullptr;
        } else if (member == "UsedRange") {
            area = usedArea(s);
        } else if (member == "Hyperlinks()") {
            return std::make_shared<LinksObject>(m_state, m_path, m_index,
                                                 Area{1, 1, s.rowLimit, s.columnLimit}, false);
        } else {
            return nullptr;
        }
        return std::make_shared<RangeObject>(m_state, m_path, m_index, area);
    }

private:
    static Area usedArea(const Sheet &s)
    {
        if (s.cells.isEmpty())
            return Area();
        Area area{s.rowLimit, s.columnLimit, 1, 1};
        for (auto it = s.cells.cbegin(); it != s.cells.cend(); ++it) {
            area.top = std::min(area.top, it.key().first);
            area.bottom = std::max(area.bottom, it.key().first);
            area.left = std::min(area.left, it.key().second);
            area.right = std::max(area.right, it.key().second);
        }
        return area;
    }

    Sheet &sheet() { return m_state->workbooks[m_path].sheets[m_index]; }

    QString m_path;
    int m_index;
};

class SheetsObject : public MemoryObject
{
public:
    SheetsObject(StatePtr state, QString path)
        : MemoryObject(std::move(state), QStringLiteral("sheets"))
        , m_path(std::move(path))
    {
    }

protected:
    QVariant read_(const QByteArray &name) override
    {
        return name == "Count" ? QVariant(book().sheets.size()) : QVariant();
    }

    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &arguments) override
    {
        const int index = arguments.value(0).toInt();
        if (member != "Item(int)" || index < 1 || index > book().sheets.size())
            return nullptr;
        return std::make_shared<SheetObject>(m_state, m_path, index - 1);
    }

    QVariant call_(const QByteArray &member, const QVariantList &arguments, QString *failure) override
    {
        if (member != "Add(const QVariant&)")
            return MemoryObject::call_(member, arguments, failure);
        if (book().protectedStructure) {
            *failure = QStringLiteral("the workbook's structure is protected");
            return QVariant();
        }
        // Sheet objects address sheets by position: a sheet put in front
        // moves every other sheet one place on, as in the application.
        int number = book().sheets.size() + 1;
        QString name;
        do {
            name = QStringLiteral("Sheet%1").arg(number++);
        } while (std::any_of(book().sheets.cbegin(), book().sheets.cend(),
                             [&](const Sheet &s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; }));
        Sheet added;
        added.name = name;
        book().sheets.prepend(added);
        return name;
    }

private:
    Workbook &book() { return m_state->workbooks[m_path]; }

    QString m_path;
};

class WorkbookObject : public MemoryObject
{
public:
    WorkbookObject(StatePtr state, QString path)
        : MemoryObject(std::move(state), QStringLiteral("workbook"))
        , m_path(std::move(path))
    {
    }

protected:
    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &) override
    {
        return member == "Sheets" ? std::make_shared<SheetsObject>(m_state, m_path) : nullptr;
    }

    QVariant call_(const QByteArray &member, const QVariantList &arguments, QString *failure) override
    {
        if (member == "Save()") {
            if (m_state->deferredSaveMs >= 0 && DeferredSaves::accepted()) {
                const StatePtr state = m_state;
                const QString path = m_path;
                const int delayMs = m_state->deferredSaveMsOf.value(path, m_state->deferredSaveMs);
                DeferredSaves::defer(path, [state, path, delayMs]() {
                    QThread::msleep(ulong(delayMs));
                    QMutexLocker locker(&state->lock);
                    DeferredSaves::Outcome outcome;
                    if (state->unsavable.contains(path))
                        outcome.error.raise(1, QStringLiteral("memory, Save()"), QStringLiteral("the disk is full"));
                    else
                        ++state->workbooks[path].saves;
                    state->savesEnded.insert(path);
                    const auto saveEnds = state->saveEnds;
                    locker.unlock();
                    if (saveEnds)
                        saveEnds(path);
                    return outcome;
                });
                return QVariant();
            }
            if (m_state->unsavable.contains(m_path)) {
                *failure = QStringLiteral("the file is read-only");
                return QVariant();
            }
            ++m_state->workbooks[m_path].saves;
            return QVariant();
        }
        if (member == "Close (Boolean)")
            return QVariant();
        return MemoryObject::call_(member, arguments, failure);
    }

private:
    QString m_path;
};

class WorkbooksObject : public MemoryObject
{
public:
    explicit WorkbooksObject(StatePtr state)
        : MemoryObject(std::move(state), QStringLiteral("workbooks"))
    {
    }

protected:
    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &arguments) override
    {
        const QString path = arguments.value(0).toString();
        if (!member.startsWith("Open(") || m_state->unopenable.contains(path))
            return nullptr;
        if (!m_state->workbooks.contains(path)) {
            Workbook fresh;
            Sheet first;
            first.name = QStringLiteral("Sheet1");
            fresh.sheets.append(first);
            m_state->workbooks.insert(path, fresh);
        }
        return std::make_shared<WorkbookObject>(m_state, path);
    }
};

class ApplicationObject : public MemoryObject
{
public:
    explicit ApplicationObject(StatePtr state)
        : MemoryObject(std::move(state), QStringLiteral("application"))
    {
    }

protected:
    AutomationObjectPtr sub_(const QByteArray &member, const QVariantList &) override
    {
        return member == "WorkBooks" ? std::make_shared<WorkbooksObject>(m_state) : nullptr;
    }

    QVariant call_(const QByteArray &member, const QVariantList &arguments, QString *failure) override
    {
        if (member == "Quit(void)") {
            ++m_state->quit;
            return QVariant();
        }
        if (member == "SetVisible (bool Visible)")
            return QVariant();
        return MemoryObject::call_(member, arguments, failure);
    }
};

} // namespace

InMemorySpreadsheetServer::InMemorySpreadsheetServer()
    : m_state(std::make_shared<State>())
{
}

InMemorySpreadsheetServer::~InMemorySpreadsheetServer()
{
    uninstall();
}

void InMemorySpreadsheetServer::install()
{
    StatePtr state = m_state;
    AutomationRegistry::registerServer(QStringLiteral("Excel.Application"),
                                       [state](QString *) -> AutomationObjectPtr {
                                           {
                                               QMutexLocker locker(&state->lock);
                                               ++state->started;
                                           }
                                           state->record(QStringLiteral("application"), "Excel.Application", {});
                                           return std::make_shared<ApplicationObject>(state);
                                       });
}

void InMemorySpreadsheetServer::uninstall()
{
    AutomationRegistry::unregisterServer(QStringLiteral("Excel.Application"));
}

void InMemorySpreadsheetServer::setWorkbook(const QString &nativePath, const Workbook &workbook)
{
    QMutexLocker locker(&m_state->lock);
    m_state->workbooks.insert(nativePath, workbook);
}

InMemorySpreadsheetServer::Workbook InMemorySpreadsheetServer::workbook(const QString &nativePath) const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->workbooks.value(nativePath);
}

void InMemorySpreadsheetServer::failToOpen(const QString &nativePath)
{
    QMutexLocker locker(&m_state->lock);
    m_state->unopenable.insert(nativePath);
}

void InMemorySpreadsheetServer::failToSave(const QString &nativePath)
{
    QMutexLocker locker(&m_state->lock);
    m_state->unsavable.insert(nativePath);
}

void InMemorySpreadsheetServer::deferSaves(int delayMs, const QHash<QString, int> &delayMsOf,
                                           const std::function<void(const QString &)> &saveEnds)
{
    QMutexLocker locker(&m_state->lock);
    m_state->deferredSaveMs = delayMs;
    m_state->deferredSaveMsOf = delayMsOf;
    m_state->saveEnds = saveEnds;
}

bool InMemorySpreadsheetServer::saveEnded(const QString &nativePath) const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->savesEnded.contains(nativePath);
}

QList<InMemorySpreadsheetServer::Call> InMemorySpreadsheetServer::calls() const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->calls;
}

QStringList InMemorySpreadsheetServer::members() const
{
    QStringList names;
    for (const Call &call : calls())
        names.append(call.member);
    return names;
}

int InMemorySpreadsheetServer::count(const QString &member) const
{
    return members().count(member);
}

int InMemorySpreadsheetServer::applicationsStarted() const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->started;
}

int InMemorySpreadsheetServer::applicationsQuit() const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->quit;
}

InMemorySpreadsheetServer::Workbook InMemorySpreadsheetServer::Workbook::withSheets(const QStringList &names)
{
    Workbook workbook;
    for (const QString &name : names) {
        Sheet sheet;
        sheet.name = name;
        workbook.sheets.append(sheet);
    }
    return workbook;
}
