<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>Engine</name>
    <message>
        <source>cannot make the backup folder %1 to lock the folder</source>
        <translation>cannot make the backup folder %1 to lock the folder</translation>
    </message>
    <message>
        <source>cannot make the lock file %1: %2</source>
        <translation>cannot make the lock file %1: %2</translation>
    </message>
    <message>
        <source>the folder %1 is being edited by another job, %2, which holds %3; run again once it has ended</source>
        <translation>the folder %1 is being edited by another job, %2, which holds %3; run again once it has ended</translation>
    </message>
    <message>
        <source>cannot make the backup folder %1; the edit was not saved</source>
        <translation>cannot make the backup folder %1; the edit was not saved</translation>
    </message>
    <message>
        <source>cannot write the backup record %1; the edit was not saved</source>
        <translation>cannot write the backup record %1; the edit was not saved</translation>
    </message>
    <message>
        <source>cannot read the original</source>
        <translation>cannot read the original</translation>
    </message>
    <message>
        <source>cannot keep the original as %1 (%2); the edit was not saved</source>
        <translation>cannot keep the original as %1 (%2); the edit was not saved</translation>
    </message>
    <message>
        <source>cannot write the backup record %1; the original was put back</source>
        <translation>cannot write the backup record %1; the original was put back</translation>
    </message>
    <message>
        <source>cannot write the backup record nor put the original back (%1); the original is in %2</source>
        <translation>cannot write the backup record nor put the original back (%1); the original is in %2</translation>
    </message>
    <message>
        <source>the file is no longer there or cannot be read</source>
        <translation>the file is no longer there or cannot be read</translation>
    </message>
    <message>
        <source>the file was changed again after this job, so it was not overwritten</source>
        <translation>the file was changed again after this job, so it was not overwritten</translation>
    </message>
    <message>
        <source>its original in the backup is missing or damaged</source>
        <translation>its original in the backup is missing or damaged</translation>
    </message>
    <message>
        <source>cannot be restored (%1)</source>
        <translation>cannot be restored (%1)</translation>
    </message>
    <message>
        <source>There is no job to undo</source>
        <translation>There is no job to undo</translation>
    </message>
    <message>
        <source>Undid the job of %1 (%2): %3 workbooks restored</source>
        <translation>Undid the job of %1 (%2): %3 workbooks restored</translation>
    </message>
    <message>
        <source>; %1 workbooks not restored (%2), their originals are kept in %3</source>
        <translation>; %1 workbooks not restored (%2), their originals are kept in %3</translation>
    </message>
    <message>
        <source>Fill in the cell for the link, such as A1 or B2:D2</source>
        <translation>Fill in the cell for the link, such as A1 or B2:D2</translation>
    </message>
    <message>
        <source>Fill in a web address or file path, or a place in the document</source>
        <translation>Fill in a web address or file path, or a place in the document</translation>
    </message>
    <message>
        <source>the cell &quot;%1&quot; is not understood</source>
        <translation>the cell &quot;%1&quot; is not understood</translation>
    </message>
    <message>
        <source>Fill in the formula</source>
        <translation>Fill in the formula</translation>
    </message>
    <message>
        <source>The end cell cannot lie before the start cell</source>
        <translation>The end cell cannot lie before the start cell</translation>
    </message>
    <message>
        <source>the sheet has no cells (a chart sheet, for example)</source>
        <translation>the sheet has no cells (a chart sheet, for example)</translation>
    </message>
    <message>
        <source>the start cell lies outside the sheet</source>
        <translation>the start cell lies outside the sheet</translation>
    </message>
    <message>
        <source>the spreadsheet application does not accept the formula &quot;%1&quot;</source>
        <translation>the spreadsheet application does not accept the formula &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the fill runs past the edge of the sheet; the cells beyond it were not filled</source>
        <translation>the fill runs past the edge of the sheet; the cells beyond it were not filled</translation>
    </message>
    <message>
        <source>Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9</source>
        <translation>Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9</translation>
    </message>
    <message>
        <source>the range &quot;%1&quot; is not understood</source>
        <translation>the range &quot;%1&quot; is not understood</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to write (the sheet is protected); the formulas were not turned into values</source>
        <translation>the spreadsheet application refused to write (the sheet is protected); the formulas were not turned into values</translation>
    </message>
    <message>
        <source>the workbook has no sheet</source>
        <translation>the workbook has no sheet</translation>
    </message>
    <message>
        <source>the workbook&apos;s structure is protected, so no index sheet can be added</source>
        <translation>the workbook&apos;s structure is protected, so no index sheet can be added</translation>
    </message>
    <message>
        <source>row %1 lies beyond the sheet&apos;s rows</source>
        <translation>row %1 lies beyond the sheet&apos;s rows</translation>
    </message>
    <message>
        <source>column %1 lies beyond the sheet&apos;s columns</source>
        <translation>column %1 lies beyond the sheet&apos;s columns</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to insert (the sheet is protected, or cells would be pushed off its edge); nothing was inserted</source>
        <translation>the spreadsheet application refused to insert (the sheet is protected, or cells would be pushed off its edge); nothing was inserted</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to delete (the sheet may be protected)</source>
        <translation>the spreadsheet application refused to delete (the sheet may be protected)</translation>
    </message>
    <message>
        <source>sheet &quot;%2&quot; of %1</source>
        <translation>sheet &quot;%2&quot; of %1</translation>
    </message>
    <message>
        <source>Fill in the sheet name</source>
        <translation>Fill in the sheet name</translation>
    </message>
    <message>
        <source>row %1, column %2</source>
        <translation>row %1, column %2</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 down to each sheet&apos;s last row</source>
        <translation>fill the formula %1 from %2 down to each sheet&apos;s last row</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 right to each sheet&apos;s last column</source>
        <translation>fill the formula %1 from %2 right to each sheet&apos;s last column</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 to %3</source>
        <translation>fill the formula %1 from %2 to %3</translation>
    </message>
    <message>
        <source>insert a link to %1 into cell %2</source>
        <translation>insert a link to %1 into cell %2</translation>
    </message>
    <message>
        <source>, showing &quot;%1&quot;</source>
        <translation>, showing &quot;%1&quot;</translation>
    </message>
    <message>
        <source>, only in the sheets named &quot;%1&quot;</source>
        <translation>, only in the sheets named &quot;%1&quot;</translation>
    </message>
    <message>
        <source>, only in the first sheet</source>
        <translation>, only in the first sheet</translation>
    </message>
    <message>
        <source>insert a row before row %1</source>
        <translation>insert a row before row %1</translation>
    </message>
    <message>
        <source>insert a column before column %1</source>
        <translation>insert a column before column %1</translation>
    </message>
    <message>
        <source>delete row %1</source>
        <translation>delete row %1</translation>
    </message>
    <message>
        <source>delete column %1</source>
        <translation>delete column %1</translation>
    </message>
    <message>
        <source>turn the formulas of %1 into values</source>
        <translation>turn the formulas of %1 into values</translation>
    </message>
    <message>
        <source>add a first sheet linking to every sheet</source>
        <translation>add a first sheet linking to every sheet</translation>
    </message>
    <message>
        <source>Left unchanged: %1: %2</source>
        <translation>Left unchanged: %1: %2</translation>
    </message>
    <message>
        <source>The folder is being edited by another job (%1); try again once it has ended</source>
        <translation>The folder is being edited by another job (%1); try again once it has ended</translation>
    </message>
    <message>
        <source>the application gave no workbooks</source>
        <translation>the application gave no workbooks</translation>
    </message>
    <message>
        <source>a CSV file holds the text of one sheet only and cannot keep this edit</source>
        <translation>a CSV file holds the text of one sheet only and cannot keep this edit</translation>
    </message>
    <message>
        <source>no selected sheet to edit</source>
        <translation>no selected sheet to edit</translation>
    </message>
    <message>
        <source>none of the selected sheets was edited</source>
        <translation>none of the selected sheets was edited</translation>
    </message>
    <message>
        <source>LibreOffice has quit</source>
        <translation>LibreOffice has quit</translation>
    </message>
    <message>
        <source>a hyperlink needs an address or a place in the document</source>
        <translation>a hyperlink needs an address or a place in the document</translation>
    </message>
    <message>
        <source>inserting would push cells off the end of the sheet (row %1)</source>
        <translation>inserting would push cells off the end of the sheet (row %1)</translation>
    </message>
    <message>
        <source>inserting would push cells off the end of the sheet (column %1)</source>
        <translation>inserting would push cells off the end of the sheet (column %1)</translation>
    </message>
    <message>
        <source>only whole rows or whole columns can be inserted</source>
        <translation>only whole rows or whole columns can be inserted</translation>
    </message>
    <message>
        <source>cell (%1, %2) is outside the sheet</source>
        <translation>cell (%1, %2) is outside the sheet</translation>
    </message>
    <message>
        <source>row %1 is outside the sheet</source>
        <translation>row %1 is outside the sheet</translation>
    </message>
    <message>
        <source>column %1 is outside the sheet</source>
        <translation>column %1 is outside the sheet</translation>
    </message>
    <message>
        <source>not a reference to cells of this sheet: &quot;%1&quot;</source>
        <translation>not a reference to cells of this sheet: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>not a valid reference: &quot;%1&quot;</source>
        <translation>not a valid reference: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>there is no sheet %1</source>
        <translation>there is no sheet %1</translation>
    </message>
    <message>
        <source>the workbook&apos;s structure is protected</source>
        <translation>the workbook&apos;s structure is protected</translation>
    </message>
    <message>
        <source>LibreOffice cannot be started: %1</source>
        <translation>LibreOffice cannot be started: %1</translation>
    </message>
    <message>
        <source>unbalanced parentheses or quotes in %1</source>
        <translation>unbalanced parentheses or quotes in %1</translation>
    </message>
    <message>
        <source>not a formula LibreOffice understands: %1</source>
        <translation>not a formula LibreOffice understands: %1</translation>
    </message>
    <message>
        <source>the sheet is protected</source>
        <translation>the sheet is protected</translation>
    </message>
    <message>
        <source>the workbook %1 is closed</source>
        <translation>the workbook %1 is closed</translation>
    </message>
    <message>
        <source>LibreOffice ended while %1 was open; it was not saved</source>
        <translation>LibreOffice ended while %1 was open; it was not saved</translation>
    </message>
    <message>
        <source>not a valid path: %1</source>
        <translation>not a valid path: %1</translation>
    </message>
    <message>
        <source>cannot save %1: LibreOffice does not tell its file format</source>
        <translation>cannot save %1: LibreOffice does not tell its file format</translation>
    </message>
    <message>
        <source>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3 lines, up to %4 fields), which loading would cut off</source>
        <translation>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3 lines, up to %4 fields), which loading would cut off</translation>
    </message>
    <message>
        <source>cannot rewrite the stored %1: %2</source>
        <translation>cannot rewrite the stored %1: %2</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>cannot read %1</translation>
    </message>
    <message>
        <source>%1 is damaged: its zip directory cannot be read</source>
        <translation>%1 is damaged: its zip directory cannot be read</translation>
    </message>
    <message>
        <source>%1 is refused: its part %2 would inflate to more than 256 MB (a zip bomb?)</source>
        <translation>%1 is refused: its part %2 would inflate to more than 256 MB (a zip bomb?)</translation>
    </message>
    <message>
        <source>%1 is damaged: its part %2 does not match its checksum</source>
        <translation>%1 is damaged: its part %2 does not match its checksum</translation>
    </message>
    <message>
        <source>no such file: %1</source>
        <translation>no such file: %1</translation>
    </message>
    <message>
        <source>the file is empty: %1</source>
        <translation>the file is empty: %1</translation>
    </message>
    <message>
        <source>%1 is held open by another program (%2)</source>
        <translation>%1 is held open by another program (%2)</translation>
    </message>
    <message>
        <source>LibreOffice cannot open %1: %2</source>
        <translation>LibreOffice cannot open %1: %2</translation>
    </message>
    <message>
        <source>LibreOffice cannot open %1 (damaged, encrypted or not a workbook)</source>
        <translation>LibreOffice cannot open %1 (damaged, encrypted or not a workbook)</translation>
    </message>
    <message>
        <source>%1 is not a spreadsheet</source>
        <translation>%1 is not a spreadsheet</translation>
    </message>
    <message>
        <source>%1 opened read-only (in use by someone else?)</source>
        <translation>%1 opened read-only (in use by someone else?)</translation>
    </message>
    <message>
        <source>%1 holds formulas LibreOffice cannot read; saving would replace them by #N/A</source>
        <translation>%1 holds formulas LibreOffice cannot read; saving would replace them by #N/A</translation>
    </message>
    <message>
        <source>%1: the name is too long for LibreOffice&apos;s lock file (%2 of %3 bytes)</source>
        <translation>%1: the name is too long for LibreOffice&apos;s lock file (%2 of %3 bytes)</translation>
    </message>
    <message>
        <source>%1: its folder cannot be written (%2)</source>
        <translation>%1: its folder cannot be written (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be written (%2)</source>
        <translation>%1 cannot be written (%2)</translation>
    </message>
    <message>
        <source>%1: the disk is full (%2 bytes free)</source>
        <translation>%1: the disk is full (%2 bytes free)</translation>
    </message>
    <message>
        <source>%1 is write-reserved (a password to modify it, or read-only recommended): LibreOffice opens it read-only</source>
        <translation>%1 is write-reserved (a password to modify it, or read-only recommended): LibreOffice opens it read-only</translation>
    </message>
    <message>
        <source>cannot save %1: %2</source>
        <translation>cannot save %1: %2</translation>
    </message>
    <message>
        <source>cannot save %1: no temporary file beside it: %2</source>
        <translation>cannot save %1: no temporary file beside it: %2</translation>
    </message>
    <message>
        <source>cannot save %1: cannot set its permissions: %2</source>
        <translation>cannot save %1: cannot set its permissions: %2</translation>
    </message>
    <message>
        <source>cannot save %1: cannot write it to disk: %2</source>
        <translation>cannot save %1: cannot write it to disk: %2</translation>
    </message>
    <message>
        <source>cannot start %1: no such program</source>
        <translation>cannot start %1: no such program</translation>
    </message>
    <message>
        <source>cannot start %1: %2</source>
        <translation>cannot start %1: %2</translation>
    </message>
    <message>
        <source>UNO bootstrap failed: %1</source>
        <translation>UNO bootstrap failed: %1</translation>
    </message>
    <message>
        <source>cannot create a private LibreOffice profile: %1</source>
        <translation>cannot create a private LibreOffice profile: %1</translation>
    </message>
    <message>
        <source>soffice ended before it accepted a connection</source>
        <translation>soffice ended before it accepted a connection</translation>
    </message>
    <message>
        <source>soffice did not answer within %1 s</source>
        <translation>soffice did not answer within %1 s</translation>
    </message>
    <message>
        <source>cannot connect to soffice: %1</source>
        <translation>cannot connect to soffice: %1</translation>
    </message>
    <message>
        <source>cannot write the profile settings %1</source>
        <translation>cannot write the profile settings %1</translation>
    </message>
    <message>
        <source>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3, %4), which loading would cut off</source>
        <translation>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3, %4), which loading would cut off</translation>
    </message>
    <message>
        <source>is damaged: its part %1 cannot be read</source>
        <translation>is damaged: its part %1 cannot be read</translation>
    </message>
    <message>
        <source>is damaged: its part %1 is not well-formed XML (line %2: %3)</source>
        <translation>is damaged: its part %1 is not well-formed XML (line %2: %3)</translation>
    </message>
    <message>
        <source>is damaged: its workbook stream does not begin as a workbook</source>
        <translation>is damaged: its workbook stream does not begin as a workbook</translation>
    </message>
    <message>
        <source>holds data beyond the %1 columns of the .xls format (column %2), which saving would cut off</source>
        <translation>holds data beyond the %1 columns of the .xls format (column %2), which saving would cut off</translation>
    </message>
    <message>
        <source>is damaged: its records break off at byte %1 of %2</source>
        <translation>is damaged: its records break off at byte %1 of %2</translation>
    </message>
    <message>
        <source>is damaged: its sheets do not begin and end where its workbook says</source>
        <translation>is damaged: its sheets do not begin and end where its workbook says</translation>
    </message>
    <message>
        <source>LibreOffice would drop the links to other workbooks of %1</source>
        <translation>LibreOffice would drop the links to other workbooks of %1</translation>
    </message>
    <message>
        <source>cannot read %1 as a workbook archive</source>
        <translation>cannot read %1 as a workbook archive</translation>
    </message>
    <message>
        <source>the stored file cannot be read back: %1</source>
        <translation>the stored file cannot be read back: %1</translation>
    </message>
    <message>
        <source>the stored file holds %1 of the %2 records of the workbook</source>
        <translation>the stored file holds %1 of the %2 records of the workbook</translation>
    </message>
    <message>
        <source>the stored file&apos;s zip directory cannot be read</source>
        <translation>the stored file&apos;s zip directory cannot be read</translation>
    </message>
    <message>
        <source>the stored file&apos;s part %1 does not match its checksum</source>
        <translation>the stored file&apos;s part %1 does not match its checksum</translation>
    </message>
    <message>
        <source>the stored file holds no part</source>
        <translation>the stored file holds no part</translation>
    </message>
    <message>
        <source>the stored file&apos;s workbook stream cannot be read</source>
        <translation>the stored file&apos;s workbook stream cannot be read</translation>
    </message>
    <message>
        <source> (the disk is full: %1 bytes free)</source>
        <translation> (the disk is full: %1 bytes free)</translation>
    </message>
    <message>
        <source>no automation server is registered as %1</source>
        <translation>no automation server is registered as %1</translation>
    </message>
    <message>
        <source>%1 is encrypted: it opens only with its password</source>
        <translation>%1 is encrypted: it opens only with its password</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 on %2</translation>
    </message>
    <message>
        <source>another process</source>
        <translation>another process</translation>
    </message>
    <message>
        <source>the formulas of the range could not be found: %1</source>
        <translation>the formulas of the range could not be found: %1</translation>
    </message>
    <message>
        <source>a formula result could not be read, so the formulas were kept</source>
        <translation>a formula result could not be read, so the formulas were kept</translation>
    </message>
    <message>
        <source>cannot save %1: LibreOffice could not write it%2</source>
        <translation>cannot save %1: LibreOffice could not write it%2</translation>
    </message>
    <message>
        <source>%1 is left as it is: %2</source>
        <translation>%1 is left as it is: %2</translation>
    </message>
    <message>
        <source>LibreOffice reads it differently from its bytes as %1 text (record %2, field %3: &quot;%4&quot; read as &quot;%5&quot;), so its encoding or quoting cannot be kept</source>
        <translation>LibreOffice reads it differently from its bytes as %1 text (record %2, field %3: &quot;%4&quot; read as &quot;%5&quot;), so its encoding or quoting cannot be kept</translation>
    </message>
    <message>
        <source>LibreOffice did not load the sheet &quot;%1&quot;, which holds %2 cells</source>
        <translation>LibreOffice did not load the sheet &quot;%1&quot;, which holds %2 cells</translation>
    </message>
    <message>
        <source>the sheet &quot;%1&quot; holds %2 cells, but LibreOffice loaded %3: it did not read the sheet as written, and saving would replace it by what it read</source>
        <translation>the sheet &quot;%1&quot; holds %2 cells, but LibreOffice loaded %3: it did not read the sheet as written, and saving would replace it by what it read</translation>
    </message>
    <message>
        <source>its text is UTF-32, which LibreOffice cannot read</source>
        <translation>its text is UTF-32, which LibreOffice cannot read</translation>
    </message>
    <message>
        <source>it starts with a UTF-8 byte order mark but its text is not UTF-8</source>
        <translation>it starts with a UTF-8 byte order mark but its text is not UTF-8</translation>
    </message>
    <message>
        <source>the encoding of its text cannot be told with confidence (it is not UTF-8, GB18030, Shift-JIS or Windows-1252 text)</source>
        <translation>the encoding of its text cannot be told with confidence (it is not UTF-8, GB18030, Shift-JIS or Windows-1252 text)</translation>
    </message>
    <message>
        <source>the text &quot;%1&quot; cannot be written in the file&apos;s encoding (%2)</source>
        <translation>the text &quot;%1&quot; cannot be written in the file&apos;s encoding (%2)</translation>
    </message>
    <message>
        <source>what was stored cannot be written back in the file&apos;s own bytes (record %1 would read differently)</source>
        <translation>what was stored cannot be written back in the file&apos;s own bytes (record %1 would read differently)</translation>
    </message>
    <message>
        <source>the workbook protection and very hidden sheets</source>
        <translation>the workbook protection and very hidden sheets</translation>
    </message>
    <message>
        <source>the VBA project</source>
        <translation>the VBA project</translation>
    </message>
    <message>
        <source>the embedded documents and header/footer pictures</source>
        <translation>the embedded documents and header/footer pictures</translation>
    </message>
    <message>
        <source>the page setup</source>
        <translation>the page setup</translation>
    </message>
    <message>
        <source>the default row heights</source>
        <translation>the default row heights</translation>
    </message>
    <message>
        <source>the selections</source>
        <translation>the selections</translation>
    </message>
    <message>
        <source>the font names</source>
        <translation>the font names</translation>
    </message>
    <message>
        <source>%1 of the original could not be kept (%2)</source>
        <translation>%1 of the original could not be kept (%2)</translation>
    </message>
    <message>
        <source>everything LibreOffice drops</source>
        <translation>everything LibreOffice drops</translation>
    </message>
    <message>
        <source>the spreadsheet application has no member %1</source>
        <translation>the spreadsheet application has no member %1</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 takes other arguments</source>
        <translation>the spreadsheet application&apos;s %1 takes other arguments</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 cannot take argument %2 as given</source>
        <translation>the spreadsheet application&apos;s %1 cannot take argument %2 as given</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 failed (error %2)</source>
        <translation>the spreadsheet application&apos;s %1 failed (error %2)</translation>
    </message>
    <message>
        <source>%1 could not be started (error %2)</source>
        <translation>%1 could not be started (error %2)</translation>
    </message>
    <message>
        <source>the spreadsheet application has quit unexpectedly</source>
        <translation>the spreadsheet application has quit unexpectedly</translation>
    </message>
    <message>
        <source>the spreadsheet application stayed busy for %1 seconds (a dialog box may be open in it)</source>
        <translation>the spreadsheet application stayed busy for %1 seconds (a dialog box may be open in it)</translation>
    </message>
    <message>
        <source>the spreadsheet application did not answer for %1 seconds and was ended</source>
        <translation>the spreadsheet application did not answer for %1 seconds and was ended</translation>
    </message>
    <message>
        <source>it holds more lines or fields than a sheet</source>
        <translation>it holds more lines or fields than a sheet</translation>
    </message>
    <message>
        <source>Excel reads it differently from its bytes as %1 text (record %2), so its encoding or quoting cannot be kept</source>
        <translation>Excel reads it differently from its bytes as %1 text (record %2), so its encoding or quoting cannot be kept</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>%1 is left as it is: the cells of its sheets cannot be read from the file (damaged?), so what LibreOffice loaded cannot be checked against them</source>
        <translation>%1 is left as it is: the cells of its sheets cannot be read from the file (damaged?), so what LibreOffice loaded cannot be checked against them</translation>
    </message>
    <message>
        <source>the pivot table at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice made %4 of it again on loading: saving would replace the table by what it made</source>
        <translation>the pivot table at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice made %4 of it again on loading: saving would replace the table by what it made</translation>
    </message>
    <message>
        <source>the array formula at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice loaded %4: saving would replace it by what it read</source>
        <translation>the array formula at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice loaded %4: saving would replace it by what it read</translation>
    </message>
    <message>
        <source>the job was stopped while saving it, so whether it holds the edit is not known; it was not overwritten</source>
        <translation>the job was stopped while saving it, so whether it holds the edit is not known; it was not overwritten</translation>
    </message>
</context>
<context>
    <name>StatusTexts</name>
    <message>
        <source>其中%1个文件无法打开或保存（见列表文件）</source>
        <translation>%1 of them could not be opened or saved (see the list file)</translation>
    </message>
    <message>
        <source>%1处未修改（%2）</source>
        <translation>%1 places left unchanged (%2)</translation>
    </message>
    <message>
        <source>本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!</source>
        <translation>This needs a spreadsheet application: Microsoft Office, WPS Professional or LibreOffice!</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Done with </translation>
    </message>
    <message>
        <source>个文件,</source>
        <translation> workbooks, </translation>
    </message>
    <message>
        <source>无法写入文件：%1</source>
        <translation>Could not write the file: %1</translation>
    </message>
    <message>
        <source>无法打开列表文件，请手动查看：%1</source>
        <translation>Could not open the list file; please look at it yourself: %1</translation>
    </message>
    <message>
        <source>（任务已停止，其余文件未处理）</source>
        <translation> (job stopped; the other workbooks were not touched)</translation>
    </message>
    <message>
        <source>原文件已备份到%1，可撤销</source>
        <translation>the originals are kept in %1 and can be restored</translation>
    </message>
    <message>
        <source>（试运行，没有保存任何文件）</source>
        <translation> (dry run: nothing was saved)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>其中%1个文件无法打开</source>
        <translation>%1 of them could not be opened</translation>
    </message>
</context>
</TS>
