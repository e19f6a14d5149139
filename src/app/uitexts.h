#pragma once
// Every text the main window shows or a screen reader reads, in one table:
// captions and messages keep their exact wording, which users, their scripts
// and their screen readers know.

namespace kelvaron::texts {

inline constexpr char kTitle[] = "Kelvaron";
inline constexpr char kTagline[] = "detecting Parts in Pro/ENGINEER Assemblies";

// Toolbar.
inline constexpr char kFile[] = "file";
inline constexpr char kFileTip[] = "choose an assembly file (Ctrl+O)";
inline constexpr char kPlace[] = "place";
inline constexpr char kPlaceTip[] = "report folder";
inline constexpr char kOpenReport[] = "open the report";
inline constexpr char kProduct[] = "product";
inline constexpr char kProductStructure[] = "product structure";
inline constexpr char kProductTip[] = "the whole product of the assembly: structure, quantities, pictures, where used";
inline constexpr char kInfo[] = "Info";
inline constexpr char kInfoTip[] = "about Kelvaron";
inline constexpr char kExit[] = "exit";
inline constexpr char kExitTip[] = "exit (Ctrl+Q)";
inline constexpr char kClock[] = "clock";
inline constexpr char kToolbar[] = "toolbar";

// Browse panel.
inline constexpr char kBrowse[] = "browse";
inline constexpr char kDrive[] = "drive";
inline constexpr char kFolders[] = "folders";
inline constexpr char kAssemblyFiles[] = "assembly files";
inline constexpr char kAssemblyFilesTip[] = "click a file or press Enter to analyse it";
inline constexpr char kSingleFile[] = "single file:";
inline constexpr char kCurrentFolder[] = "current folder";
inline constexpr char kScanAll[] = "search all files in folder and subfolders";
inline constexpr char kScanAllTip[] = "analyse every assembly in this folder and its subfolders";
inline constexpr char kClose[] = "close";
inline constexpr char kCloseTip[] = "close the browse panel";
inline constexpr char kFilePattern[] = "*.asm.???";

// Cycle control.
inline constexpr char kCycleControl[] = "cycle control";
inline constexpr char kStartTime[] = "start time";
inline constexpr char kAt[] = "at";
inline constexpr char kOClock[] = "o'clock";
inline constexpr char kStartHour[] = "start hour of the folder scan";
inline constexpr char kStartHourTip[] = "scan the folder once at this hour; \"keine\" arms nothing";
inline constexpr char kArmed[] = "armed scan";
inline constexpr char kArmedHour[] = "armed hour";

// Result panel.
inline constexpr char kResult[] = "result";
inline constexpr char kParts[] = "parts of the assembly";
inline constexpr char kPartsTip[] = "select a line to copy its name";
inline constexpr char kCopyUnused[] = "Strg-V";
inline constexpr char kToClipboard[] = " to clipboard";
inline constexpr char kCopyTip[] = "copy the selected name to the clipboard";
inline constexpr char kDetails[] = "details";

// Report folder panel.
inline constexpr char kReportFolderPanel[] = "Speicherort Ausgabedatei";
inline constexpr char kOutputFile[] = "txt output file";
inline constexpr char kReportFolder[] = "report folder";
inline constexpr char kReportFolderTip[] = "the folder the reports are written to";
inline constexpr char kReportDrive[] = "drive of the report folder";
inline constexpr char kReportFolders[] = "folders of the report folder";
inline constexpr char kOk[] = "OK";
inline constexpr char kOkTip[] = "close the report folder panel";

// Folder scan.
inline constexpr char kStopScan[] = "stop the folder scan (Esc)";
inline constexpr char kScanProgress[] = "folder scan progress";
inline constexpr char kSummary[] = "summary of the folder scan";
inline constexpr char kFailures[] = "files that failed";
inline constexpr char kFailuresTip[] = "double-click or press Enter to open a file";

// Lines at the bottom.
inline constexpr char kCurrentFile[] = "current assembly file";
inline constexpr char kLastReport[] = "last report file";
inline constexpr char kStatus[] = "status";
inline constexpr char kLogo[] = "Kelvaron logo";

// Messages.
inline constexpr char kNoAssemblies[] = "no assemblies !";
inline constexpr char kNoFilesFound[] = "no files found";
inline constexpr char kStopMessage[] = "stop !";
inline constexpr char kPleaseWait[] = "please wait...";
inline constexpr char kFileSaved[] = "file saved";

}  // namespace kelvaron::texts
