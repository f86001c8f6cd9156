<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>JobCounts</name>
    <message>
        <source>共%1个文件：将修改%2个，部分工作表跳过%3个，不会修改%4个，无法打开%5个</source>
        <translation>%1 workbooks: %2 would be edited, %3 with some sheets skipped, %4 would be left untouched, %5 cannot be opened</translation>
    </message>
    <message>
        <source>共%1个文件：已修改%2个，部分工作表跳过%3个，未修改%4个，未能打开%5个，未能保存%6个</source>
        <translation>%1 workbooks: %2 edited, %3 edited with some sheets skipped, %4 left untouched, %5 not opened, %6 not saved</translation>
    </message>
</context>
<context>
    <name>JobResultsDialog</name>
    <message>
        <source>显示列表文件</source>
        <translation>Show list file</translation>
    </message>
    <message>
        <source>撤销本次修改</source>
        <translation>Undo this job</translation>
    </message>
    <message>
        <source>处理结果</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>打开所在文件夹</source>
        <translation>Open its folder</translation>
    </message>
    <message>
        <source>复制列表</source>
        <translation>Copy list</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>未能打开</source>
        <translation>Not opened</translation>
    </message>
    <message>
        <source>未能保存</source>
        <translation>Not saved</translation>
    </message>
    <message>
        <source>未修改</source>
        <translation>Left untouched</translation>
    </message>
    <message>
        <source>将修改</source>
        <translation>Would be edited</translation>
    </message>
    <message>
        <source>将修改，部分工作表跳过</source>
        <translation>Would be edited, some sheets skipped</translation>
    </message>
    <message>
        <source>已修改，部分工作表跳过</source>
        <translation>Edited, some sheets skipped</translation>
    </message>
    <message>
        <source>试运行：%1个文件将会这样处理（没有保存任何文件）</source>
        <translation>Dry run: what would happen to %1 workbooks (nothing was saved)</translation>
    </message>
    <message>
        <source>%1个文件没有顺利修改：</source>
        <translation>%1 workbooks were not edited cleanly:</translation>
    </message>
    <message>
        <source>无法打开列表文件，请手动查看：%1</source>
        <translation>Could not open the list file; please look at it yourself: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Gridwrighter2.3</source>
        <translation>Gridwrighter2.3</translation>
    </message>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>预设置（修改不可逆,操作前请先备份,并关闭所有excel文件）</source>
        <translation>Presets (back up first and close all spreadsheet files)</translation>
    </message>
    <message>
        <source>选择文件夹：</source>
        <translation>Choose folder:</translation>
    </message>
    <message>
        <source>只修改第一个Sheet</source>
        <translation>First sheet only</translation>
    </message>
    <message>
        <source>只修改指定名称Sheet：</source>
        <translation>Only the sheet named:</translation>
    </message>
    <message>
        <source>试运行</source>
        <translation>Dry run</translation>
    </message>
    <message>
        <source>打开并修改每个文件，但不保存任何文件，只列出将会发生的情况</source>
        <translation>Open and edit every workbook but save none; only list what would happen</translation>
    </message>
    <message>
        <source>功能一、插入列或行、删除列或行（修改不可逆,操作前请先备份,并关闭所有excel文件）</source>
        <translation>1. Insert or delete columns or rows (back up first and close all spreadsheet files)</translation>
    </message>
    <message>
        <source>在该行前：</source>
        <translation>Before row:</translation>
    </message>
    <message>
        <source>插入行</source>
        <translation>Insert row</translation>
    </message>
    <message>
        <source>  在该列前：</source>
        <translation>  Before col:</translation>
    </message>
    <message>
        <source>插入列</source>
        <translation>Insert col</translation>
    </message>
    <message>
        <source>该行：</source>
        <translation>Row:</translation>
    </message>
    <message>
        <source>删除行</source>
        <translation>Delete row</translation>
    </message>
    <message>
        <source>  该列：</source>
        <translation>  Col:</translation>
    </message>
    <message>
        <source>删除列</source>
        <translation>Delete col</translation>
    </message>
    <message>
        <source>功能二、批量设置公式（只需填好起始位置单元格公式,其他位置将会自动填充,与excel表格中进行拖动或复制公式效果一致）</source>
        <translation>2. Set formulas in bulk (enter the start cell&apos;s formula; the other cells are filled as by dragging it in the spreadsheet)</translation>
    </message>
    <message>
        <source>复制公式起始位置(行X列)：</source>
        <translation>Start (row × column):</translation>
    </message>
    <message>
        <source>  结束位置(行X列)：</source>
        <translation>  End (row × column):</translation>
    </message>
    <message>
        <source>自动识别行数</source>
        <translation>Find last row</translation>
    </message>
    <message>
        <source>自动识别列数</source>
        <translation>Find last column</translation>
    </message>
    <message>
        <source>公式：</source>
        <translation>Formula:</translation>
    </message>
    <message>
        <source>设置公式</source>
        <translation>Set formula</translation>
    </message>
    <message>
        <source>功能三、将指定区域公式结果转换为值</source>
        <translation>3. Turn the formulas of a range into values</translation>
    </message>
    <message>
        <source>区域(填写方式,如一个单元格、多个单元格、整列、多列、整行、多行分别是：A1、B2:D2、B:B、B:D、1:1、1:9)：</source>
        <translation>Range (one cell, several cells, a column, columns, a row, rows: A1, B2:D2, B:B, B:D, 1:1, 1:9):</translation>
    </message>
    <message>
        <source>公式转转值</source>
        <translation>To values</translation>
    </message>
    <message>
        <source>功能四、创建包含所有表超链接的表</source>
        <translation>4. Add a sheet with links to all sheets</translation>
    </message>
    <message>
        <source>创建</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>功能五、在指定单元格插入超链接（网址或文件,如：www.example.com  文档中的位置,如：Sheet!A1 一般情况下只填写其中一个。 显示文字留空则保持原单元格内容）</source>
        <translation>5. Put a hyperlink into a cell (an address or file such as www.example.com, or a place such as Sheet!A1; an empty text keeps the cell&apos;s content)</translation>
    </message>
    <message>
        <source>单元格：</source>
        <translation>Cell:</translation>
    </message>
    <message>
        <source>网址或文件路径：</source>
        <translation>Address or file:</translation>
    </message>
    <message>
        <source>文档中的位置：</source>
        <translation>Place in workbook:</translation>
    </message>
    <message>
        <source>显示文字：</source>
        <translation>Display text:</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>color: rgb(255, 0, 0);</source>
        <translation>color: rgb(255, 0, 0);</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;（&lt;span style=&quot; font-weight:600;&quot;&gt;操作前请先备份excel文件，支持Office2007以上、WPS2016专业版&lt;/span&gt;）&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;(&lt;span style=&quot; font-weight:600;&quot;&gt;Back up your spreadsheet files first. Works with Office 2007 or later, WPS 2016 Professional and LibreOffice&lt;/span&gt;)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>撤销上一次修改</source>
        <translation>Undo last job</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>已用时 %1</source>
        <translation>Elapsed %1</translation>
    </message>
    <message>
        <source>，剩余约 %1</source>
        <translation>, about %1 left</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>任务正在进行中，是否在当前文件处理完后停止任务并退出？</source>
        <translation>A job is running. Stop it after the current workbook and quit?</translation>
    </message>
    <message>
        <source>正在停止任务，当前文件处理完后退出……</source>
        <translation>Stopping the job; quitting after the current workbook…</translation>
    </message>
    <message>
        <source>正在停止任务，当前文件处理完后停止……</source>
        <translation>Stopping the job after the current workbook…</translation>
    </message>
    <message>
        <source>任务正在进行中，请在任务结束后再撤销</source>
        <translation>A job is running; undo once it has ended</translation>
    </message>
    <message>
        <source>内容不以=开头，将作为文本写入所有目标单元格，是否继续？</source>
        <translation>The content does not start with &quot;=&quot; and will be written as text into every target cell. Continue?</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose folder</translation>
    </message>
    <message>
        <source>文件夹不存在!</source>
        <translation>The folder does not exist!</translation>
    </message>
    <message>
        <source>无法关闭程序 %1，请手动关闭该程序后重试。</source>
        <translation>Could not close %1; please close it yourself and try again.</translation>
    </message>
    <message>
        <source>，正在启动表格程序……</source>
        <translation>, starting the spreadsheet application…</translation>
    </message>
    <message>
        <source>试运行：%1（没有保存任何文件）</source>
        <translation>Dry run: %1 (nothing was saved)</translation>
    </message>
    <message>
        <source>撤销%1对%2个文件的修改（%3）？
文件夹：%4
之后又被改动过的文件不会被覆盖。</source>
        <translation>Undo the job of %1 on %2 workbooks (%3)?
Folder: %4
Workbooks changed since then are not overwritten.</translation>
    </message>
    <message>
        <source>%1  第%2行</source>
        <translation>%1  row %2</translation>
    </message>
    <message>
        <source>上次启动的程序在处理完%1个文件（共%2个）后停止了任务，文件夹：%3
%4</source>
        <translation>The program started earlier stopped its job after %1 of %2 workbooks, in the folder %3
%4</translation>
    </message>
    <message>
        <source>显示列表文件</source>
        <translation>Show list file</translation>
    </message>
    <message>
        <source>撤销这次修改</source>
        <translation>Undo this job</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>SystemTray</name>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>撤销上一次修改</source>
        <translation>Undo last job</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
