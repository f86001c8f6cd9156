#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

class AxObject;

// What a workbook holds as the engine sees it through the automation layer:
// its sheets' names and, per sheet, the used range, its values (a block of at
// most maxRows x maxColumns from the used range's top left, which bounds the
// time a huge sheet takes) and its hyperlink count (the sheet's, or on a used
// range of more than maxLinkCells cells, the count over its first rows up to
// that many cells: counting costs about 2 ms per filled cell).
struct SheetFingerprint
{
    QString name;
    QString usedRange; // "R1C1:R10C5"
    QVariant values; // Value() of the block: one value or a list of rows
    int hyperlinks = 0;
};

struct WorkbookFingerprint
{
    bool opened = false;
    QString failure; // why reading stopped midway, or empty
    QVector<SheetFingerprint> sheets;
};

// Reads fingerprints through one application started for all of them, so a
// folder of workbooks costs one soffice start.
class FingerprintReader
{
public:
    static const int maxRows = 2000;
    static const int maxColumns = 200;
    static const int maxLinkCells = 1000;

    FingerprintReader();
    ~FingerprintReader();

    bool started() const;
    qint64 processId() const;
    WorkbookFingerprint read(const QString &path);
    // Ends the application; its soffice is gone when this returns.
    void quit();

private:
    std::unique_ptr<AxObject> m_application;
    AxObject *m_workbooks = nullptr;
};
