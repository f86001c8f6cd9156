// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/DocumentOpener.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/document/CsvFilterOptions.h"
#include "platform/libreoffice/document/CsvLoadCheck.h"
#include "platform/libreoffice/document/LoadArguments.h"
#include "platform/libreoffice/document/LoadedCells.h"
#include "platform/libreoffice/document/OpenFailureReason.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "fileformats/CompoundFile.h"
#include "fileformats/LoadSoundness.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/SheetCellCounts.h"
#include "platform/libreoffice/document/StoredRowHeights.h"
#include "platform/libreoffice/UnoStrings.h"
#include "platform/libreoffice/document/UnreadableFormulas.h"
#include "platform/libreoffice/office/WorkbookLock.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/WorkbookEncryption.h"
#include "fileformats/WorkbookSurvey.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>

#include <optional>

using namespace css;

namespace {

void closeComponent(const uno::Reference<lang::XComponent> &component)
{
    try {
        const uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            component->dispose();
    } catch (const uno::Exception &) {
        // It is being given up anyway.
    }
}

QString loadedFilterName(const uno::Reference<frame::XModel> &model)
{
    const uno::Sequence<beans::PropertyValue> arguments = model->getArgs();
    for (const beans::PropertyValue &argument : arguments) {
        OUString name;
        if (argument.Name == "FilterName" && (argument.Value >>= name))
            return toQString(name);
    }
    return QString();
}

// The binary Excel filters are "MS Excel 97", "MS Excel 95", "MS Excel 5.0/95"...
GridLimits gridOf(const QString &filterName, const QString &path)
{
    GridLimits grid;
    if (filterName.startsWith(QLatin1String("MS Excel"))
        || (filterName.isEmpty() && path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))) {
        grid.rows = 65536;
        grid.columns = 256;
        grid.binary = true;
    }
    return grid;
}

// The archive of an .xlsx/.xlsm, kept for what else opening reads from it;
// none when the file is not a zip archive.
std::optional<ZipArchive> readArchive(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QCoreApplication::translate("Engine", "cannot read %1").arg(path));
    if (file.peek(4) != QByteArray("PK\x03\x04", 4))
        return std::nullopt;
    ZipArchive archive;
    if (!archive.read(file.readAll()))
        fail(QCoreApplication::translate("Engine", "%1 is damaged: its zip directory cannot be read").arg(path));
    return archive;
}

// LibreOffice opens a workbook with a damaged part by repairing it, which
// can leave a sheet empty: saved, that would replace the user's data.
void refuseDamagedArchive(const QString &path, const ZipArchive &archive)
{
    const QString damaged = archive.damagedMember();
    if (!damaged.isEmpty() && archive.isOversized(damaged))
        fail(QCoreApplication::translate("Engine", "%1 is refused: its part %2 would inflate to more than 256 MB (a zip bomb?)").arg(path, damaged));
    if (!damaged.isEmpty())
        fail(QCoreApplication::translate("Engine", "%1 is damaged: its part %2 does not match its checksum").arg(path, damaged));
}

// The cells each sheet of an .xls file holds, to be held against what
// LibreOffice loads. None for a file of another format (a CSV file, an .xls
// of Excel 4 or older) and for a compound file whose cells cannot be read;
// compoundFile tells the last.
std::optional<QVector<SheetCellCount>> biffCellCounts(const QString &path, bool *compoundFile)
{
    *compoundFile = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    *compoundFile = bytes.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    QByteArray stream = compoundFileStream(bytes, QStringLiteral("Workbook"));
    if (stream.isEmpty())
        stream = compoundFileStream(bytes, QStringLiteral("Book"));
    return stream.isEmpty() ? std::nullopt : SheetCellCounts::ofBiff(stream);
}

} // namespace

std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession> &session,
                                           const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        fail(QCoreApplication::translate("Engine", "no such file: %1").arg(path));
    // LibreOffice opens an empty file as a new workbook, and saving it would
    // write that workbook over the file.
    if (file.size() == 0)
        fail(QCoreApplication::translate("Engine", "the file is empty: %1").arg(path));

    QString holder;
    if (!WorkbookLock::isFree(path, session->profilePath(), &holder))
        fail(QCoreApplication::translate("Engine", "%1 is held open by another program (%2)").arg(path, holder));
    const std::optional<ZipArchive> archive = readArchive(path);
    std::optional<WorkbookSurvey> survey;
    if (archive)
        survey.emplace(*archive);
    // The parts the survey reads whole are not inflated a second time for
    // their checksums; damage is still named first.
    const QString unsound = survey ? survey->problem() : LoadSoundness::biffProblem(path);
    if (archive)
        refuseDamagedArchive(path, *archive);
    if (!unsound.isEmpty())
        fail(QStringLiteral("%1 %2").arg(path, unsound));
    bool compoundFile = false;
    const std::optional<QVector<SheetCellCount>> cellCounts =
        survey ? survey->cellCounts() : biffCellCounts(path, &compoundFile);
    std::optional<CsvFilterOptions> csv;
    if (file.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        QFile content(path);
        if (!content.open(QIODevice::ReadOnly))
            fail(QCoreApplication::translate("Engine", "cannot read %1").arg(path));
        csv = CsvFilterOptions::forContent(path, content.readAll());
    }

    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(file.absoluteFilePath()), url) != osl::FileBase::E_None)
        fail(QCoreApplication::translate("Engine", "not a valid path: %1").arg(path));

    const uno::Sequence<beans::PropertyValue> arguments = editingLoadArguments(csv);

    // From loading on, the lock soffice makes is removed if this process dies.
    session->setFilesInHand({WorkbookLock::pathOf(file.absoluteFilePath())});
    uno::Reference<lang::XComponent> component;
    try {
        component = session->desktop()->loadComponentFromURL(url, "_blank", 0, arguments);
    } catch (const uno::Exception &e) {
        session->noteCallFailure(e);
        // A full disk, too, comes back as an error code of the filter's.
        const QString why = whyNotOpenedForEditing(path, archive ? &*archive : nullptr);
        if (!why.isEmpty())
            fail(why);
        if (isEncryptedWorkbook(path))
            fail(QCoreApplication::translate("Engine", "%1 is encrypted: it opens only with its password").arg(path));
        fail(QCoreApplication::translate("Engine", "LibreOffice cannot open %1: %2").arg(path, toQString(e.Message)));
    }
    if (!component.is()) {
        const QString why = whyNotOpenedForEditing(path, archive ? &*archive : nullptr);
        if (why.isEmpty() && isEncryptedWorkbook(path))
            fail(QCoreApplication::translate("Engine", "%1 is encrypted: it opens only with its password").arg(path));
        fail(why.isEmpty() ? QCoreApplication::translate("Engine", "LibreOffice cannot open %1 (damaged, encrypted or not a workbook)").arg(path) : why);
    }

    const uno::Reference<sheet::XSpreadsheetDocument> spreadsheet(component, uno::UNO_QUERY);
    if (!spreadsheet.is()) {
        closeComponent(component);
        fail(QCoreApplication::translate("Engine", "%1 is not a spreadsheet").arg(path));
    }
    const uno::Reference<frame::XStorable> storable(component, uno::UNO_QUERY);
    if (!storable.is() || storable->isReadonly()) {
        closeComponent(component);
        const QString why = whyNotOpenedForEditing(path, archive ? &*archive : nullptr);
        fail(why.isEmpty() ? QCoreApplication::translate("Engine", "%1 opened read-only (in use by someone else?)").arg(path) : why);
    }
    if (hasUnreadableFormulas(spreadsheet)) {
        closeComponent(component);
        fail(QCoreApplication::translate("Engine", "%1 holds formulas LibreOffice cannot read; saving would replace them by #N/A").arg(path));
    }
    if (csv) {
        const QString misreading = csvMisreading(spreadsheet, csv->records());
        if (!misreading.isEmpty()) {
            closeComponent(component);
            fail(QCoreApplication::translate("Engine", "%1 is left as it is: %2").arg(path, misreading));
        }
    }
    const uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
    const GridLimits grid = gridOf(model.is() ? loadedFilterName(model) : QString(), path);
    // A sheet LibreOffice could not read loads empty or short, without a
    // word; where the file's own cells cannot be read, what it loaded cannot
    // be checked, and saving could replace the user's data by what it made
    // of the file. (An Office Open XML package encrypted with the default
    // password inside a compound file is not read here, and not checked.)
    if (!cellCounts && (archive || (compoundFile && grid.binary))) {
        closeComponent(component);
        fail(QCoreApplication::translate("Engine", "%1 is left as it is: the cells of its sheets cannot be read from the "
                                                   "file (damaged?), so what LibreOffice loaded cannot be checked against them")
                 .arg(path));
    }
    const QString lost = cellCounts ? LoadedCells::problem(spreadsheet, *cellCounts) : QString();
    if (!lost.isEmpty()) {
        closeComponent(component);
        fail(QStringLiteral("%1: %2").arg(path, lost));
    }
    if (archive && OoxmlWorkbookParts::isOoxmlWorkbook(path))
        restoreStoredRowHeights(spreadsheet, *archive, *survey);
    // Loading can mark a workbook changed (a recalculation on load, the row
    // heights set again): only what the edit does counts as a change worth
    // saving.
    const uno::Reference<util::XModifiable> modifiable(component, uno::UNO_QUERY);
    if (modifiable.is())
        modifiable->setModified(false);
    return std::make_shared<CalcDocument>(session, spreadsheet, file.absoluteFilePath(), grid, csv,
                                          survey ? survey->sheetOutlines() : QHash<QString, SheetOutline>());
}
