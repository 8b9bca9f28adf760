#include "run_program.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "map_writer.h"

namespace tools {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// A file the program inherits as a standard stream.
HANDLE Inherited(const fs::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
}

// Runs the program with its streams on these files; its exit status.
int Run(const fs::path& program, const std::vector<fs::path>& arguments, const fs::path& working_folder,
        const fs::path& output, const fs::path& error) {
  // Each argument quoted as the C runtime takes it apart (the tests' hold no
  // '"'): backslashes before the closing quote doubled.
  std::wstring command_line = L"\"" + program.native() + L"\"";
  for (const fs::path& argument : arguments) {
    const std::wstring& text = argument.native();
    const std::size_t kept = text.find_last_not_of(L'\\') + 1;  // 0 when all are backslashes
    command_line += L" \"" + text + std::wstring(text.size() - kept, L'\\') + L"\"";
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inherited(output, GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inherited(error, GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION process{};
  DWORD status = DWORD(-1);
  if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     working_folder.c_str(), &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
  return static_cast<int>(status);
}

}  // namespace

#else

namespace {

int Run(const fs::path& program, const std::vector<fs::path>& arguments, const fs::path& working_folder,
        const fs::path& output, const fs::path& error) {
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const fs::path& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    // Between fork and exec only calls that are safe there.
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(output.c_str(), O_WRONLY | O_CREAT, 0600), 1);
    dup2(open(error.c_str(), O_WRONLY | O_CREAT, 0600), 2);
    if (chdir(working_folder.c_str()) == 0) execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

#endif

ProgramRun RunProgram(const fs::path& program, const std::vector<fs::path>& arguments, const fs::path& working_folder) {
  const TempFolder streams;
  ProgramRun run;
  run.status = Run(program, arguments, working_folder, streams.path() / "output", streams.path() / "error");
  run.output = ReadFile(streams.path() / "output");
  run.error = ReadFile(streams.path() / "error");
  return run;
}

}  // namespace tools
