#include "platform/libreoffice/DocumentOpener.h"

#include "platform/libreoffice/AutomationFailure.h"
#include "platform/libreoffice/CalcDocument.h"
#include "platform/libreoffice/CsvFilterOptions.h"
#include "platform/libreoffice/LoadArguments.h"
#include "platform/libreoffice/OfficeSession.h"
#include "platform/libreoffice/UnoStrings.h"
#include "platform/libreoffice/UnreadableFormulas.h"

#include <QFile>
#include <QFileInfo>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <osl/file.hxx>

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
    }
    return grid;
}

} // namespace

std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession> &session,
                                           const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        fail(QStringLiteral("no such file: %1").arg(path));
    // LibreOffice opens an empty file as a new workbook, and saving it would
    // write that workbook over the file.
    if (file.size() == 0)
        fail(QStringLiteral("the file is empty: %1").arg(path));

    std::optional<CsvFilterOptions> csv;
    if (file.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        QFile content(path);
        if (!content.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read %1").arg(path));
        csv = CsvFilterOptions::forContent(content.readAll());
    }

    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(file.absoluteFilePath()), url) != osl::FileBase::E_None)
        fail(QStringLiteral("not a valid path: %1").arg(path));

    const uno::Sequence<beans::PropertyValue> arguments = editingLoadArguments(csv);

    uno::Reference<lang::XComponent> component;
    try {
        component = session->desktop()->loadComponentFromURL(url, "_blank", 0, arguments);
    } catch (const uno::Exception &e) {
        fail(QStringLiteral("LibreOffice cannot open %1: %2").arg(path, toQString(e.Message)));
    }
    if (!component.is())
        fail(QStringLiteral("LibreOffice cannot open %1 (damaged, encrypted or not a workbook)").arg(path));

    const uno::Reference<sheet::XSpreadsheetDocument> spreadsheet(component, uno::UNO_QUERY);
    if (!spreadsheet.is()) {
        closeComponent(component);
        fail(QStringLiteral("%1 is not a spreadsheet").arg(path));
    }
    const uno::Reference<frame::XStorable> storable(component, uno::UNO_QUERY);
    if (!storable.is() || storable->isReadonly()) {
        closeComponent(component);
        fail(QStringLiteral("%1 opened read-only (in use by someone else?)").arg(path));
    }
    if (hasUnreadableFormulas(spreadsheet)) {
        closeComponent(component);
        fail(QStringLiteral("%1 holds formulas LibreOffice cannot read; saving would replace them by #N/A").arg(path));
    }
    const uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
    const GridLimits grid = gridOf(model.is() ? loadedFilterName(model) : QString(), path);
    return std::make_shared<CalcDocument>(session, spreadsheet, file.absoluteFilePath(), grid, csv);
}
