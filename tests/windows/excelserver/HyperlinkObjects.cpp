// SPDX-License-Identifier: GPL-3.0-or-later
// Hyperlinks of a sheet or of a range's cells, and one hyperlink.
#include "ObjectModel.h"

HyperlinksObject::HyperlinksObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet,
                                   QVector<Area> areas)
    : m_workbook(std::move(workbook))
    , m_sheet(std::move(sheet))
    , m_areas(std::move(areas))
{
}

QVector<CellKey> HyperlinksObject::keys() const
{
    QVector<CellKey> found;
    for (auto it = m_sheet->links.cbegin(); it != m_sheet->links.cend(); ++it) {
        bool inside = m_areas.isEmpty();
        for (const Area &area : m_areas)
            inside = inside || area.contains(it.key().first, it.key().second);
        if (inside)
            found.append(it.key());
    }
    return found;
}

HRESULT HyperlinksObject::get_Count(LONG *out)
{
    *out = keys().size();
    return S_OK;
}

HRESULT HyperlinksObject::Item(VARIANT index, ::Hyperlink **out)
{
    *out = nullptr;
    long position = 0;
    const QVector<CellKey> all = keys();
    if (!integerOf(index, position) || position < 1 || position > all.size())
        return DISP_E_BADINDEX;
    return handOut<HyperlinkObject>(out, m_workbook, m_sheet, all[position - 1]);
}

HRESULT HyperlinksObject::Add(IDispatch *anchor, BSTR address, VARIANT subAddress, VARIANT, VARIANT textToDisplay,
                              IDispatch **out)
{
    *out = nullptr;
    auto *range = dynamic_cast<RangeObject *>(serverObjectOf(anchor));
    if (!range || range->sheet() != m_sheet)
        return excelError(QStringLiteral("Application-defined or object-defined error"));
    const CellKey key{range->areas().first().top, range->areas().first().left};
    Link link;
    link.address = QString::fromWCharArray(address ? address : L"");
    link.subAddress = textOf(subAddress);
    m_sheet->links.insert(key, link);
    // The cell shows the text to display, or the address when it is empty.
    Cell &cell = m_sheet->cells[key];
    if (!isMissing(textToDisplay)) {
        cell.type = Cell::Text;
        cell.text = textOf(textToDisplay);
        cell.formula.clear();
    } else if (cell.isBlank()) {
        cell.type = Cell::Text;
        cell.text = link.address.isEmpty() ? link.subAddress : link.address;
    }
    m_workbook->saved = false;
    return handOut<HyperlinkObject>(out, m_workbook, m_sheet, key);
}

// The links go; the cells keep their text.
HRESULT HyperlinksObject::Delete()
{
    for (const CellKey &key : keys())
        m_sheet->links.remove(key);
    m_workbook->saved = false;
    return S_OK;
}

HyperlinkObject::HyperlinkObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, CellKey cell)
    : m_workbook(std::move(workbook))
    , m_sheet(std::move(sheet))
    , m_cell(cell)
{
}

HRESULT HyperlinkObject::get_Address(BSTR *out)
{
    *out = bstrOf(m_sheet->links.value(m_cell).address);
    return S_OK;
}

HRESULT HyperlinkObject::get_SubAddress(BSTR *out)
{
    *out = bstrOf(m_sheet->links.value(m_cell).subAddress);
    return S_OK;
}

HRESULT HyperlinkObject::Delete()
{
    m_sheet->links.remove(m_cell);
    m_workbook->saved = false;
    return S_OK;
}
