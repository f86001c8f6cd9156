<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>Engine</name>
    <message>
        <source>cannot make the backup folder %1 to lock the folder</source>
        <translation>无法建立备份文件夹%1，无法锁定该文件夹</translation>
    </message>
    <message>
        <source>cannot make the lock file %1: %2</source>
        <translation>无法建立锁文件%1：%2</translation>
    </message>
    <message>
        <source>the folder %1 is being edited by another job, %2, which holds %3; run again once it has ended</source>
        <translation>文件夹%1正被另一个任务修改（%2，占用%3），请在它结束后再试</translation>
    </message>
    <message>
        <source>cannot make the backup folder %1; the edit was not saved</source>
        <translation>无法建立备份文件夹%1，未保存修改</translation>
    </message>
    <message>
        <source>cannot write the backup record %1; the edit was not saved</source>
        <translation>无法写入备份清单%1，未保存修改</translation>
    </message>
    <message>
        <source>cannot read the original</source>
        <translation>无法读取原文件</translation>
    </message>
    <message>
        <source>cannot keep the original as %1 (%2); the edit was not saved</source>
        <translation>无法备份原文件到%1（%2），未保存修改</translation>
    </message>
    <message>
        <source>cannot write the backup record %1; the original was put back</source>
        <translation>无法写入备份清单%1，已恢复原文件</translation>
    </message>
    <message>
        <source>cannot write the backup record nor put the original back (%1); the original is in %2</source>
        <translation>无法写入备份清单，也无法恢复原文件（%1），原文件在%2</translation>
    </message>
    <message>
        <source>the file is no longer there or cannot be read</source>
        <translation>文件已不在原处或无法读取</translation>
    </message>
    <message>
        <source>the file was changed again after this job, so it was not overwritten</source>
        <translation>文件在这次修改之后又被改动过，未覆盖</translation>
    </message>
    <message>
        <source>its original in the backup is missing or damaged</source>
        <translation>备份中的原文件缺失或已损坏</translation>
    </message>
    <message>
        <source>cannot be restored (%1)</source>
        <translation>无法恢复（%1）</translation>
    </message>
    <message>
        <source>There is no job to undo</source>
        <translation>没有可以撤销的修改</translation>
    </message>
    <message>
        <source>Undid the job of %1 (%2): %3 workbooks restored</source>
        <translation>已撤销%1的修改（%2），恢复%3个文件</translation>
    </message>
    <message>
        <source>; %1 workbooks not restored (%2), their originals are kept in %3</source>
        <translation>；%1个文件未恢复（%2），原文件保留在%3</translation>
    </message>
    <message>
        <source>Fill in the cell for the link, such as A1 or B2:D2</source>
        <translation>请填写要插入超链接的单元格，如 A1 或 B2:D2</translation>
    </message>
    <message>
        <source>Fill in a web address or file path, or a place in the document</source>
        <translation>请填写网址或文件路径，或文档中的位置</translation>
    </message>
    <message>
        <source>the cell &quot;%1&quot; is not understood</source>
        <translation>无法识别单元格“%1”</translation>
    </message>
    <message>
        <source>Fill in the formula</source>
        <translation>请填写公式</translation>
    </message>
    <message>
        <source>The end cell cannot lie before the start cell</source>
        <translation>结束单元格不能在起始单元格之前</translation>
    </message>
    <message>
        <source>the sheet has no cells (a chart sheet, for example)</source>
        <translation>该表没有单元格（例如图表工作表）</translation>
    </message>
    <message>
        <source>the start cell lies outside the sheet</source>
        <translation>起始单元格超出工作表的范围</translation>
    </message>
    <message>
        <source>the spreadsheet application does not accept the formula &quot;%1&quot;</source>
        <translation>表格程序不接受公式“%1”</translation>
    </message>
    <message>
        <source>the fill runs past the edge of the sheet; the cells beyond it were not filled</source>
        <translation>填充区域超出工作表的范围，超出部分未填写</translation>
    </message>
    <message>
        <source>Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9</source>
        <translation>请填写要转换为值的区域，如 A1、B2:D2、B:B、B:D、1:1、1:9</translation>
    </message>
    <message>
        <source>the range &quot;%1&quot; is not understood</source>
        <translation>无法识别区域“%1”</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to write (the sheet is protected); the formulas were not turned into values</source>
        <translation>表格程序拒绝写入（工作表受保护），公式未转换为值</translation>
    </message>
    <message>
        <source>the workbook has no sheet</source>
        <translation>工作簿中没有工作表</translation>
    </message>
    <message>
        <source>the workbook&apos;s structure is protected, so no index sheet can be added</source>
        <translation>工作簿结构受保护，无法插入目录表</translation>
    </message>
    <message>
        <source>row %1 lies beyond the sheet&apos;s rows</source>
        <translation>第%1行超出工作表的行数</translation>
    </message>
    <message>
        <source>column %1 lies beyond the sheet&apos;s columns</source>
        <translation>第%1列超出工作表的列数</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to insert (the sheet is protected, or cells would be pushed off its edge); nothing was inserted</source>
        <translation>表格程序拒绝插入（工作表受保护或内容会被挤出工作表边界），已放弃插入</translation>
    </message>
    <message>
        <source>the spreadsheet application refused to delete (the sheet may be protected)</source>
        <translation>表格程序拒绝删除（工作表可能受保护）</translation>
    </message>
    <message>
        <source>sheet &quot;%2&quot; of %1</source>
        <translation>%1 的工作表“%2”</translation>
    </message>
    <message>
        <source>Fill in the sheet name</source>
        <translation>请填写工作表名称</translation>
    </message>
    <message>
        <source>row %1, column %2</source>
        <translation>第%1行第%2列</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 down to each sheet&apos;s last row</source>
        <translation>设置公式：%1，从%2向下到每个表的最后一行</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 right to each sheet&apos;s last column</source>
        <translation>设置公式：%1，从%2向右到每个表的最后一列</translation>
    </message>
    <message>
        <source>fill the formula %1 from %2 to %3</source>
        <translation>设置公式：%1，从%2到%3</translation>
    </message>
    <message>
        <source>insert a link to %1 into cell %2</source>
        <translation>插入超链接：在单元格%2插入指向%1的链接</translation>
    </message>
    <message>
        <source>, showing &quot;%1&quot;</source>
        <translation>，显示文字“%1”</translation>
    </message>
    <message>
        <source>, only in the sheets named &quot;%1&quot;</source>
        <translation>，只修改名为“%1”的工作表</translation>
    </message>
    <message>
        <source>, only in the first sheet</source>
        <translation>，只修改第一个工作表</translation>
    </message>
    <message>
        <source>insert a row before row %1</source>
        <translation>插入行：在第%1行前</translation>
    </message>
    <message>
        <source>insert a column before column %1</source>
        <translation>插入列：在第%1列前</translation>
    </message>
    <message>
        <source>delete row %1</source>
        <translation>删除行：第%1行</translation>
    </message>
    <message>
        <source>delete column %1</source>
        <translation>删除列：第%1列</translation>
    </message>
    <message>
        <source>turn the formulas of %1 into values</source>
        <translation>公式转值：%1</translation>
    </message>
    <message>
        <source>add a first sheet linking to every sheet</source>
        <translation>创建包含所有表超链接的表</translation>
    </message>
    <message>
        <source>Left unchanged: %1: %2</source>
        <translation>未修改 %1：%2</translation>
    </message>
    <message>
        <source>The folder is being edited by another job (%1); try again once it has ended</source>
        <translation>该文件夹正被另一个任务修改（%1），请在它结束后再试</translation>
    </message>
    <message>
        <source>the application gave no workbooks</source>
        <translation>表格程序没有提供工作簿</translation>
    </message>
    <message>
        <source>a CSV file holds the text of one sheet only and cannot keep this edit</source>
        <translation>CSV文件只能保存一个工作表的文字，无法保存此修改</translation>
    </message>
    <message>
        <source>no selected sheet to edit</source>
        <translation>没有选中的工作表需要修改</translation>
    </message>
    <message>
        <source>none of the selected sheets was edited</source>
        <translation>所有选中的工作表都未修改</translation>
    </message>
    <message>
        <source>LibreOffice has quit</source>
        <translation>LibreOffice 已退出</translation>
    </message>
    <message>
        <source>a hyperlink needs an address or a place in the document</source>
        <translation>超链接需要网址或文档中的位置</translation>
    </message>
    <message>
        <source>inserting would push cells off the end of the sheet (row %1)</source>
        <translation>插入会把内容挤出工作表边界（第%1行）</translation>
    </message>
    <message>
        <source>inserting would push cells off the end of the sheet (column %1)</source>
        <translation>插入会把内容挤出工作表边界（第%1列）</translation>
    </message>
    <message>
        <source>only whole rows or whole columns can be inserted</source>
        <translation>只能插入整行或整列</translation>
    </message>
    <message>
        <source>cell (%1, %2) is outside the sheet</source>
        <translation>单元格（第%1行，第%2列）超出工作表的范围</translation>
    </message>
    <message>
        <source>row %1 is outside the sheet</source>
        <translation>第%1行超出工作表的范围</translation>
    </message>
    <message>
        <source>column %1 is outside the sheet</source>
        <translation>第%1列超出工作表的范围</translation>
    </message>
    <message>
        <source>not a reference to cells of this sheet: &quot;%1&quot;</source>
        <translation>不是本工作表的单元格引用：“%1”</translation>
    </message>
    <message>
        <source>not a valid reference: &quot;%1&quot;</source>
        <translation>不是有效的单元格引用：“%1”</translation>
    </message>
    <message>
        <source>there is no sheet %1</source>
        <translation>没有第%1个工作表</translation>
    </message>
    <message>
        <source>the workbook&apos;s structure is protected</source>
        <translation>工作簿结构受保护</translation>
    </message>
    <message>
        <source>LibreOffice cannot be started: %1</source>
        <translation>无法启动 LibreOffice：%1</translation>
    </message>
    <message>
        <source>unbalanced parentheses or quotes in %1</source>
        <translation>%1 中的括号或引号不成对</translation>
    </message>
    <message>
        <source>not a formula LibreOffice understands: %1</source>
        <translation>LibreOffice 无法识别的公式：%1</translation>
    </message>
    <message>
        <source>the sheet is protected</source>
        <translation>工作表受保护</translation>
    </message>
    <message>
        <source>the workbook %1 is closed</source>
        <translation>工作簿%1已关闭</translation>
    </message>
    <message>
        <source>LibreOffice ended while %1 was open; it was not saved</source>
        <translation>打开%1时 LibreOffice 意外退出，文件未保存</translation>
    </message>
    <message>
        <source>not a valid path: %1</source>
        <translation>路径无效：%1</translation>
    </message>
    <message>
        <source>cannot save %1: LibreOffice does not tell its file format</source>
        <translation>无法保存%1：LibreOffice 未给出它的文件格式</translation>
    </message>
    <message>
        <source>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3 lines, up to %4 fields), which loading would cut off</source>
        <translation>数据超出 LibreOffice 的%1行、%2列范围（%3行，最多%4个字段），打开时会被截掉</translation>
    </message>
    <message>
        <source>cannot rewrite the stored %1: %2</source>
        <translation>无法改写保存后的%1：%2</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>无法读取%1</translation>
    </message>
    <message>
        <source>%1 is damaged: its zip directory cannot be read</source>
        <translation>%1 已损坏：无法读取其压缩包目录</translation>
    </message>
    <message>
        <source>%1 is refused: its part %2 would inflate to more than 256 MB (a zip bomb?)</source>
        <translation>%1 被拒绝：其中的%2解压后超过 256 MB（可能是压缩炸弹）</translation>
    </message>
    <message>
        <source>%1 is damaged: its part %2 does not match its checksum</source>
        <translation>%1 已损坏：其中的%2校验和不符</translation>
    </message>
    <message>
        <source>no such file: %1</source>
        <translation>文件不存在：%1</translation>
    </message>
    <message>
        <source>the file is empty: %1</source>
        <translation>文件是空的：%1</translation>
    </message>
    <message>
        <source>%1 is held open by another program (%2)</source>
        <translation>%1 正被另一个程序打开（%2）</translation>
    </message>
    <message>
        <source>LibreOffice cannot open %1: %2</source>
        <translation>LibreOffice 无法打开%1：%2</translation>
    </message>
    <message>
        <source>LibreOffice cannot open %1 (damaged, encrypted or not a workbook)</source>
        <translation>LibreOffice 无法打开%1（文件已损坏、已加密或不是表格文件）</translation>
    </message>
    <message>
        <source>%1 is not a spreadsheet</source>
        <translation>%1 不是表格文件</translation>
    </message>
    <message>
        <source>%1 opened read-only (in use by someone else?)</source>
        <translation>%1 只能以只读方式打开（可能正被别人使用）</translation>
    </message>
    <message>
        <source>%1 holds formulas LibreOffice cannot read; saving would replace them by #N/A</source>
        <translation>%1 含有 LibreOffice 无法读取的公式，保存会把它们变成 #N/A</translation>
    </message>
    <message>
        <source>%1: the name is too long for LibreOffice&apos;s lock file (%2 of %3 bytes)</source>
        <translation>%1：文件名太长，LibreOffice 无法建立锁文件（%2字节，最多%3字节）</translation>
    </message>
    <message>
        <source>%1: its folder cannot be written (%2)</source>
        <translation>%1：所在文件夹不可写入（%2）</translation>
    </message>
    <message>
        <source>%1 cannot be written (%2)</source>
        <translation>%1 不可写入（%2）</translation>
    </message>
    <message>
        <source>%1: the disk is full (%2 bytes free)</source>
        <translation>%1：磁盘已满（剩余%2字节）</translation>
    </message>
    <message>
        <source>%1 is write-reserved (a password to modify it, or read-only recommended): LibreOffice opens it read-only</source>
        <translation>%1 设有修改权限密码或建议只读，LibreOffice 只能以只读方式打开</translation>
    </message>
    <message>
        <source>cannot save %1: %2</source>
        <translation>无法保存%1：%2</translation>
    </message>
    <message>
        <source>cannot save %1: no temporary file beside it: %2</source>
        <translation>无法保存%1：无法在同一文件夹建立临时文件：%2</translation>
    </message>
    <message>
        <source>cannot save %1: cannot set its permissions: %2</source>
        <translation>无法保存%1：无法设置文件权限：%2</translation>
    </message>
    <message>
        <source>cannot save %1: cannot write it to disk: %2</source>
        <translation>无法保存%1：无法写入磁盘：%2</translation>
    </message>
    <message>
        <source>cannot start %1: no such program</source>
        <translation>无法启动%1：找不到该程序</translation>
    </message>
    <message>
        <source>cannot start %1: %2</source>
        <translation>无法启动%1：%2</translation>
    </message>
    <message>
        <source>UNO bootstrap failed: %1</source>
        <translation>无法连接 LibreOffice（UNO 启动失败）：%1</translation>
    </message>
    <message>
        <source>cannot create a private LibreOffice profile: %1</source>
        <translation>无法建立 LibreOffice 的专用配置文件夹：%1</translation>
    </message>
    <message>
        <source>soffice ended before it accepted a connection</source>
        <translation>LibreOffice 在接受连接前就退出了</translation>
    </message>
    <message>
        <source>soffice did not answer within %1 s</source>
        <translation>LibreOffice 在%1秒内没有响应</translation>
    </message>
    <message>
        <source>cannot connect to soffice: %1</source>
        <translation>无法连接 LibreOffice：%1</translation>
    </message>
    <message>
        <source>cannot write the profile settings %1</source>
        <translation>无法写入配置文件%1</translation>
    </message>
    <message>
        <source>holds data beyond LibreOffice&apos;s grid of %1 rows and %2 columns (%3, %4), which loading would cut off</source>
        <translation>数据超出 LibreOffice 的%1行、%2列范围（%3，%4），打开时会被截掉</translation>
    </message>
    <message>
        <source>is damaged: its part %1 cannot be read</source>
        <translation>已损坏：无法读取其中的%1</translation>
    </message>
    <message>
        <source>is damaged: its part %1 is not well-formed XML (line %2: %3)</source>
        <translation>已损坏：其中的%1不是完整的 XML（第%2行：%3）</translation>
    </message>
    <message>
        <source>is damaged: its workbook stream does not begin as a workbook</source>
        <translation>已损坏：其工作簿数据的开头不正确</translation>
    </message>
    <message>
        <source>holds data beyond the %1 columns of the .xls format (column %2), which saving would cut off</source>
        <translation>数据超出 .xls 格式的%1列（到第%2列），保存时会被截掉</translation>
    </message>
    <message>
        <source>is damaged: its records break off at byte %1 of %2</source>
        <translation>已损坏：其记录在第%1字节中断（共%2字节）</translation>
    </message>
    <message>
        <source>is damaged: its sheets do not begin and end where its workbook says</source>
        <translation>已损坏：工作表的起止位置与工作簿记载的不符</translation>
    </message>
    <message>
        <source>LibreOffice would drop the links to other workbooks of %1</source>
        <translation>LibreOffice 会丢掉%1中指向其他工作簿的链接</translation>
    </message>
    <message>
        <source>cannot read %1 as a workbook archive</source>
        <translation>无法把%1作为表格文件读取</translation>
    </message>
    <message>
        <source>the stored file cannot be read back: %1</source>
        <translation>无法读回保存后的文件：%1</translation>
    </message>
    <message>
        <source>the stored file holds %1 of the %2 records of the workbook</source>
        <translation>保存后的文件只有%1条记录，工作簿共有%2条</translation>
    </message>
    <message>
        <source>the stored file&apos;s zip directory cannot be read</source>
        <translation>无法读取保存后文件的压缩包目录</translation>
    </message>
    <message>
        <source>the stored file&apos;s part %1 does not match its checksum</source>
        <translation>保存后文件中的%1校验和不符</translation>
    </message>
    <message>
        <source>the stored file holds no part</source>
        <translation>保存后的文件是空的</translation>
    </message>
    <message>
        <source>the stored file&apos;s workbook stream cannot be read</source>
        <translation>无法读取保存后文件的工作簿数据</translation>
    </message>
    <message>
        <source> (the disk is full: %1 bytes free)</source>
        <translation>（磁盘已满：剩余%1字节）</translation>
    </message>
    <message>
        <source>no automation server is registered as %1</source>
        <translation>电脑中没有注册为 %1 的表格程序</translation>
    </message>
    <message>
        <source>%1 is encrypted: it opens only with its password</source>
        <translation>%1 已加密：需要密码才能打开</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%2 上的用户 %1</translation>
    </message>
    <message>
        <source>another process</source>
        <translation>另一个进程</translation>
    </message>
    <message>
        <source>the formulas of the range could not be found: %1</source>
        <translation>找不到该区域中的公式：%1</translation>
    </message>
    <message>
        <source>a formula result could not be read, so the formulas were kept</source>
        <translation>有公式的结果无法读取，因此保留了公式</translation>
    </message>
    <message>
        <source>cannot save %1: LibreOffice could not write it%2</source>
        <translation>无法保存 %1：LibreOffice 无法写入该文件%2</translation>
    </message>
    <message>
        <source>%1 is left as it is: %2</source>
        <translation>%1 保持原样未修改：%2</translation>
    </message>
    <message>
        <source>LibreOffice reads it differently from its bytes as %1 text (record %2, field %3: &quot;%4&quot; read as &quot;%5&quot;), so its encoding or quoting cannot be kept</source>
        <translation>LibreOffice 按 %1 文本读取的内容与文件字节不一致（第 %2 条记录，第 %3 个字段：“%4”被读成“%5”），无法保留其编码或引号</translation>
    </message>
    <message>
        <source>LibreOffice did not load the sheet &quot;%1&quot;, which holds %2 cells</source>
        <translation>LibreOffice 没有载入工作表“%1”，该表有 %2 个单元格</translation>
    </message>
    <message>
        <source>the sheet &quot;%1&quot; holds %2 cells, but LibreOffice loaded %3: it did not read the sheet as written, and saving would replace it by what it read</source>
        <translation>工作表“%1”有 %2 个单元格，但 LibreOffice 只载入了 %3 个：它没有按文件内容读取该表，保存会用读到的内容替换它</translation>
    </message>
    <message>
        <source>its text is UTF-32, which LibreOffice cannot read</source>
        <translation>文本为 UTF-32 编码，LibreOffice 无法读取</translation>
    </message>
    <message>
        <source>it starts with a UTF-8 byte order mark but its text is not UTF-8</source>
        <translation>文件以 UTF-8 字节顺序标记开头，但内容不是 UTF-8 文本</translation>
    </message>
    <message>
        <source>the encoding of its text cannot be told with confidence (it is not UTF-8, GB18030, Shift-JIS or Windows-1252 text)</source>
        <translation>无法确定文本的编码（不是 UTF-8、GB18030、Shift-JIS 或 Windows-1252 文本）</translation>
    </message>
    <message>
        <source>the text &quot;%1&quot; cannot be written in the file&apos;s encoding (%2)</source>
        <translation>文字“%1”无法用该文件的编码（%2）写入</translation>
    </message>
    <message>
        <source>what was stored cannot be written back in the file&apos;s own bytes (record %1 would read differently)</source>
        <translation>保存的内容无法按文件原有的字节写回（第 %1 条记录读出来会不同）</translation>
    </message>
    <message>
        <source>the workbook protection and very hidden sheets</source>
        <translation>工作簿保护和深度隐藏的工作表</translation>
    </message>
    <message>
        <source>the VBA project</source>
        <translation>VBA 宏工程</translation>
    </message>
    <message>
        <source>the embedded documents and header/footer pictures</source>
        <translation>嵌入的文档和页眉页脚图片</translation>
    </message>
    <message>
        <source>the page setup</source>
        <translation>页面设置</translation>
    </message>
    <message>
        <source>the default row heights</source>
        <translation>默认行高</translation>
    </message>
    <message>
        <source>the selections</source>
        <translation>选定区域</translation>
    </message>
    <message>
        <source>the font names</source>
        <translation>字体名称</translation>
    </message>
    <message>
        <source>%1 of the original could not be kept (%2)</source>
        <translation>原文件的%1未能保留（%2）</translation>
    </message>
    <message>
        <source>everything LibreOffice drops</source>
        <translation>LibreOffice 丢弃的所有内容</translation>
    </message>
    <message>
        <source>the spreadsheet application has no member %1</source>
        <translation>表格程序没有成员 %1</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 takes other arguments</source>
        <translation>表格程序的 %1 需要其他参数</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 cannot take argument %2 as given</source>
        <translation>表格程序的 %1 不接受所给的第 %2 个参数</translation>
    </message>
    <message>
        <source>the spreadsheet application&apos;s %1 failed (error %2)</source>
        <translation>表格程序的 %1 执行失败（错误 %2）</translation>
    </message>
    <message>
        <source>%1 could not be started (error %2)</source>
        <translation>无法启动 %1（错误 %2）</translation>
    </message>
    <message>
        <source>the spreadsheet application has quit unexpectedly</source>
        <translation>表格程序意外退出</translation>
    </message>
    <message>
        <source>the spreadsheet application stayed busy for %1 seconds (a dialog box may be open in it)</source>
        <translation>表格程序持续忙碌了 %1 秒（其中可能打开了对话框）</translation>
    </message>
    <message>
        <source>the spreadsheet application did not answer for %1 seconds and was ended</source>
        <translation>表格程序 %1 秒没有响应，已被结束</translation>
    </message>
    <message>
        <source>it holds more lines or fields than a sheet</source>
        <translation>其行数或字段数超出工作表的容量</translation>
    </message>
    <message>
        <source>Excel reads it differently from its bytes as %1 text (record %2), so its encoding or quoting cannot be kept</source>
        <translation>Excel 按 %1 文本读取的内容与文件字节不一致（第 %2 条记录），无法保留其编码或引号</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>%1 is left as it is: the cells of its sheets cannot be read from the file (damaged?), so what LibreOffice loaded cannot be checked against them</source>
        <translation>%1 保持原样未修改：无法从文件中读出其工作表的单元格（文件已损坏？），因此无法核对 LibreOffice 载入的内容</translation>
    </message>
    <message>
        <source>the pivot table at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice made %4 of it again on loading: saving would replace the table by what it made</source>
        <translation>工作表“%1”中 %2 处的数据透视表有 %3 个单元格，但 LibreOffice 载入时重新生成的只有 %4 个：保存会用它生成的内容替换该表</translation>
    </message>
    <message>
        <source>the array formula at %2 on the sheet &quot;%1&quot; holds %3 cells, but LibreOffice loaded %4: saving would replace it by what it read</source>
        <translation>工作表“%1”中 %2 处的数组公式有 %3 个单元格，但 LibreOffice 只载入了 %4 个：保存会用读到的内容替换它</translation>
    </message>
    <message>
        <source>the job was stopped while saving it, so whether it holds the edit is not known; it was not overwritten</source>
        <translation>任务在保存它时被中止，无法确定它是否已含有这次修改；没有覆盖它</translation>
    </message>
</context>
<context>
    <name>StatusTexts</name>
    <message>
        <source>其中%1个文件无法打开或保存（见列表文件）</source>
        <translation>其中%1个文件无法打开或保存（见列表文件）</translation>
    </message>
    <message>
        <source>%1处未修改（%2）</source>
        <translation>%1处未修改（%2）</translation>
    </message>
    <message>
        <source>本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!</source>
        <translation>本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>个文件,</source>
        <translation>个文件,</translation>
    </message>
    <message>
        <source>无法写入文件：%1</source>
        <translation>无法写入文件：%1</translation>
    </message>
    <message>
        <source>无法打开列表文件，请手动查看：%1</source>
        <translation>无法打开列表文件，请手动查看：%1</translation>
    </message>
    <message>
        <source>（任务已停止，其余文件未处理）</source>
        <translation>（任务已停止，其余文件未处理）</translation>
    </message>
    <message>
        <source>原文件已备份到%1，可撤销</source>
        <translation>原文件已备份到%1，可撤销</translation>
    </message>
    <message>
        <source>（试运行，没有保存任何文件）</source>
        <translation>（试运行，没有保存任何文件）</translation>
    </message>
    <message>
        <source>；</source>
        <translation>；</translation>
    </message>
    <message>
        <source>其中%1个文件无法打开</source>
        <translation>其中%1个文件无法打开</translation>
    </message>
</context>
</TS>
