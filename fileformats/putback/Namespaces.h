// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The namespaces the put-backs look for elements and attributes in: a part's
// prefixes are the writer's choice, its namespace URIs are not.
namespace Namespaces {

inline const QString spreadsheet = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
inline const QString strictSpreadsheet = QStringLiteral("http://purl.oclc.org/ooxml/spreadsheetml/main");
inline const QString relationships =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
inline const QString strictRelationships = QStringLiteral("http://purl.oclc.org/ooxml/officeDocument/relationships");
inline const QString markupCompatibility =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
inline const QString packageRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
inline const QString contentTypes = QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
inline const QString vml = QStringLiteral("urn:schemas-microsoft-com:vml");
inline const QString office = QStringLiteral("urn:schemas-microsoft-com:office:office");

inline bool isSpreadsheet(const QString &uri)
{
    return uri == spreadsheet || uri == strictSpreadsheet;
}

inline bool isRelationships(const QString &uri)
{
    return uri == relationships || uri == strictRelationships;
}

} // namespace Namespaces
