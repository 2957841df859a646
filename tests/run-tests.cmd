@echo off
rem Runs the Windows test programs beside this file, natively, and ends with
rem one line "N passed, M failed, K skipped" (test cases of every part); the
rem exit code is 0 only when nothing failed. Needs no rights beyond a normal
rem user's and nothing installed.
rem   run-tests.cmd          every part
rem   run-tests.cmd PART     one part (a name from the list below)
rem Each part's output is in logs\PART.log beside this file.
setlocal EnableExtensions
set "here=%~dp0"
set "logs=%here%logs"
set "only=%~1"
set /a passed=0, failed=0, skipped=0, ran=0
if not exist "%logs%" mkdir "%logs%"
rem A test program still running after so many seconds ends as one failure.
if not defined DORIMO_TEST_TIME_LIMIT set "DORIMO_TEST_TIME_LIMIT=900"

rem What the parts' programs start, beside them.
set "beside=dorimo.exe dorimo_seam.exe dorimo_floor.exe show_probe.exe settings_path_probe.exe marker_library.dll resolution_hook.dll"
set "missing="
for %%f in (%beside%) do call :check_beside %%f
if defined missing (
    echo run-tests: %missing% is missing beside run-tests.cmd: unzip the whole bundle
    exit /b 2
)
for /f "tokens=3" %%a in ('%SystemRoot%\System32\reg.exe query HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage /v ACP') do set "system_code_page=%%a"

rem The parts: name, what it needs of the system (- for nothing), shard
rem (index/count, - for none), program, and its arguments in quotes. A new
rem test program or pass is one more line here.
call :part core      -          -    core_tests.exe     ""
call :part settings  -          -    settings_tests.exe ""
call :part e2e0      -          0/3  e2e_tests.exe      ""
call :part e2e1      -          1/3  e2e_tests.exe      ""
call :part e2e2      -          2/3  e2e_tests.exe      ""
call :part 144dpi    resolution -    e2e_tests.exe      "--gtest_filter=AnyResolution.*"
call :part cp1252    codepage   -    e2e_tests.exe      "--gtest_filter=OtherCodePage.*"
call :part fulldisk  fulldrive  -    e2e_tests.exe      "--gtest_filter=FullDisk.*"
call :part soak      -          -    soak_tests.exe     "120"

if %ran%==0 (
    echo run-tests: no part named "%only%"
    exit /b 2
)
echo %passed% passed, %failed% failed, %skipped% skipped
if %failed%==0 exit /b 0
exit /b 1

rem :part NAME NEEDS SHARD PROGRAM "ARGUMENTS"
:part
rem (Wine's cmd takes no "if" after "if": one test a line.)
if "%only%"=="" goto :chosen
if /i not "%only%"=="%~1" exit /b 0
:chosen
set /a ran+=1
set "name=%~1"
set "log=%logs%\%~1.log"
set "command=%~4 %~5"
set "why="
if "%~2"=="codepage" call :needs_code_page
if "%~2"=="fulldrive" call :needs_full_drive
pushd "%here%"
if defined why goto :skip_part
rem A log left by an earlier run goes first: where it cannot be written anew
rem (held by another program, read-only), the program is not run and the
rem old log must not count for this run.
del /f /q "%log%" >nul 2>&1
if exist "%log%" goto :log_held
if "%~3"=="-" goto :unsharded
for /f "tokens=1,2 delims=/" %%i in ("%~3") do (
    set "GTEST_SHARD_INDEX=%%i"
    set "GTEST_TOTAL_SHARDS=%%j"
)
:unsharded
echo -- %name%: %command%
if "%~2"=="resolution" call :resolution_note
%command% > "%log%" 2>&1
set "rc=%errorlevel%"
set "GTEST_TOTAL_SHARDS="
set "GTEST_SHARD_INDEX="
set "DORIMO_TEST_CODE_PAGE="
popd
rem A program the part started may hold the log for a moment while it ends
rem (under Wine, a closed program takes seconds to go): its cases are
rem counted once the log can be read, waited for up to 60 s (a loaded machine).
set /a waited=0
call :log_readable
set /a part_passed=0, part_failed=0, part_skipped=0
rem The system's find, by its full path, as every tool of the system here:
rem another one ahead in PATH (Git's Unix find, for one) would count nothing.
for /f "tokens=1-5" %%a in ('%SystemRoot%\System32\find.exe "[  " ^< "%log%"') do call :tally %%b %%d %%e
if not "%rc%"=="0" call :ended_badly
set /a part_count=part_passed+part_failed+part_skipped
if %part_count%==0 call :ended_badly
set /a passed+=part_passed, failed+=part_failed, skipped+=part_skipped
set "counts=%part_passed% passed, %part_failed% failed, %part_skipped% skipped"
rem The log's path in quotes: a folder's name may hold "&".
if %part_failed%==0 echo    %counts%: passed
if not %part_failed%==0 echo    %counts%: FAILED with exit code %rc%, see "%log%"
exit /b 0

:log_held
popd
set /a failed+=1
echo -- %name%: FAILED, not run: "%log%" cannot be written anew (another program holds it, or it is read-only)
exit /b 0

rem A part whose setting is not in force: its cases count as skipped.
:skip_part
set /a part_skipped=0
for /f "tokens=1" %%a in ('%command% --gtest_list_tests') do call :count_listed %%a
popd
set /a skipped+=part_skipped
echo -- %name%: %part_skipped% skipped: %why%
> "%log%" echo skipped: %why%
exit /b 0

rem :log_readable waits while another program holds the part's log.
:log_readable
type "%log%" >nul 2>&1
if not errorlevel 1 exit /b 0
set /a waited+=1
if %waited% gtr 60 exit /b 0
%SystemRoot%\System32\PING.EXE -n 2 127.0.0.1 >nul
goto :log_readable

rem :check_beside PROGRAM
:check_beside
if not exist "%here%%~1" set "missing=%~1"
exit /b 0

rem A program that ends badly with no failed case (a crash, a failed set-up),
rem or that ran no test, counts as one failure.
:ended_badly
if %part_failed%==0 set /a part_failed=1
exit /b 0

rem :tally WORD COUNT WORD2 adds up GoogleTest's closing lines:
rem "[  PASSED  ] 12 tests.", "[  FAILED  ] 1 test, listed below:", ...
:tally
set "unit=%~3"
if not "%unit:~0,4%"=="test" exit /b 0
if "%~1"=="PASSED" set /a part_passed+=%~2
if "%~1"=="FAILED" set /a part_failed+=%~2
if "%~1"=="SKIPPED" set /a part_skipped+=%~2
exit /b 0

rem A listed test is an indented name; its suite's line ends with ".".
:count_listed
set "entry=%~1"
if not "%entry:~-1%"=="." set /a part_skipped+=1
exit /b 0

rem The window and its settings under another code page: the system's code
rem page for programs without Unicode must be another than 932.
:needs_code_page
if "%system_code_page%"=="932" set "why=needs a system locale other than Japanese (code page %system_code_page% now): Settings, Time and language, Language and region, Administrative language settings, Change system locale, which needs an administrator and a restart"
if not defined why set "DORIMO_TEST_CODE_PAGE=%system_code_page%"
exit /b 0

rem The saves on a full drive fill a drive: only a small one set aside for
rem the tests, named in DORIMO_FULL_DISK.
:needs_full_drive
if not defined DORIMO_FULL_DISK set "why=needs a small empty drive set aside for the tests (a 1 MB virtual disk or memory card; making one needs an administrator), named in DORIMO_FULL_DISK, e.g. set DORIMO_FULL_DISK=R:"
exit /b 0

rem The tests that hold at any resolution run at the screen's own; the test
rem command runs them at 144 pixels per inch.
:resolution_note
if defined DORIMO_TEST_DPI (
    echo    at %DORIMO_TEST_DPI% pixels per inch
) else (
    echo    at the screen's own resolution. For another: set the display's scale, e.g. 150 %% for 144 pixels per inch, sign out and in, then: set DORIMO_TEST_DPI=144 and run-tests.cmd 144dpi
)
exit /b 0
