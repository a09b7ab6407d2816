#include "tests/support/game_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <utility>

extern char** environ;

namespace nltest {
namespace {

// The harness's variables: each run sets those it asks for and no others, so that what a
// test sets in its own process for an in-process game does not reach the program.
constexpr const char* kHarnessVariables[] = {
    "NIGHTLOOM_CAPTURE",   "NIGHTLOOM_CAPTURE_FRAMES", "NIGHTLOOM_EXIT_AFTER",   "NIGHTLOOM_INPUT",
    "NIGHTLOOM_AUDIO_OUT", "NIGHTLOOM_CLOCK",          "NIGHTLOOM_INSTANCE_LOCK"};

int StatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

long NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return long(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Points the descriptor at the file (written from its start); false when it cannot be opened.
bool Redirect(int fd, const char* file) {
  const int to = open(file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (to < 0) return false;
  const bool ok = dup2(to, fd) >= 0;
  close(to);
  return ok;
}

}  // namespace

std::string GameProgram() { return NL_GAME_PROGRAM; }

void ClearHarnessHere() {
  for (const char* v : kHarnessVariables) unsetenv(v);
}
std::string DemoDataDir() { return NL_DEMO_DATA_DIR; }

std::string SettingsText(const std::vector<int>& entries) {
  std::string text = "NIGHTLOOM_CONFIG\r\n";
  for (int v : entries) text += " " + std::to_string(v) + " \r\n";
  return text;
}

GameRun::GameRun() : own_(std::in_place) {
  files_ = own_->path();
  data_ = own_->File("data");
  std::filesystem::create_directories(data_);
  SetDefaults();
}

GameRun::GameRun(std::string data, std::string files) : data_(std::move(data)), files_(std::move(files)) {
  std::error_code ec;
  std::filesystem::create_directories(data_, ec);
  std::filesystem::create_directories(files_, ec);
  SetDefaults();
}

void GameRun::SetDefaults() {
  environment_["SDL_VIDEODRIVER"] = "dummy";
  environment_["SDL_AUDIODRIVER"] = "dummy";
  for (const char* v : kHarnessVariables) environment_[v] = std::nullopt;
  environment_["NIGHTLOOM_CLOCK"] = "virtual";
  environment_["NIGHTLOOM_INSTANCE_LOCK"] = File("instance.lock");
}

GameRun::~GameRun() { Kill(); }

bool GameRun::CopyDemoWorld() const {
  std::error_code ec;
  std::filesystem::copy(DemoDataDir(), data_,
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                        ec);
  return !ec;
}

bool GameRun::WriteSettings(const std::vector<int>& entries) const {
  std::error_code ec;
  std::filesystem::create_directories(DataFile("system"), ec);
  return WriteFileBytes(DataFile("system/nlconfig.inf"), SettingsText(entries));
}

bool GameRun::ChangeSettings(const std::map<int, int>& entries) const {
  std::istringstream words(ReadFileBytes(DataFile("system/nlconfig.inf")));
  std::string header;
  words >> header;
  std::vector<int> values;
  for (int v = 0; words >> v;) values.push_back(v);
  for (const auto& [entry, value] : entries) {
    if (entry >= int(values.size())) values.resize(size_t(entry) + 1, 0);
    values[size_t(entry)] = value;
  }
  return WriteSettings(values);
}

void GameRun::ExitAfter(int frames) { environment_["NIGHTLOOM_EXIT_AFTER"] = std::to_string(frames); }
void GameRun::Input(const std::string& script_file) { environment_["NIGHTLOOM_INPUT"] = script_file; }
bool GameRun::InputText(std::string_view script) {
  Input(File("input.txt"));
  return WriteFileBytes(File("input.txt"), script);
}
void GameRun::Capture(const std::string& frames, const std::string& folder) {
  capture_folder_ = folder;
  environment_["NIGHTLOOM_CAPTURE"] = File(folder);
  environment_["NIGHTLOOM_CAPTURE_FRAMES"] =
      frames.empty() ? std::optional<std::string>() : std::optional<std::string>(frames);
}
void GameRun::AudioOut(const std::string& name) { environment_["NIGHTLOOM_AUDIO_OUT"] = File(name); }
void GameRun::RealClock(bool real) {
  environment_["NIGHTLOOM_CLOCK"] = real ? std::optional<std::string>() : std::optional<std::string>("virtual");
}
void GameRun::Set(const std::string& name, const std::string& value) { environment_[name] = value; }
void GameRun::Unset(const std::string& name) { environment_[name] = std::nullopt; }
void GameRun::Output(const std::string& stdout_file, const std::string& stderr_file) {
  stdout_file_ = stdout_file;
  stderr_file_ = stderr_file;
}
void GameRun::Program(const std::string& path) { program_ = path; }

void GameRun::ApplyHere() const {
  for (const auto& [name, value] : environment_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

int GameRun::Run() {
  Start();
  return Wait();
}

int GameRun::Run(const std::string& script_file, const std::string& frames, int exit_after, const std::string& folder) {
  Input(script_file);
  Capture(frames, folder);
  ExitAfter(exit_after);
  return Run();
}

void GameRun::Start() {
  Kill();
  // Everything the child needs is made here: between fork and exec it only calls what is
  // safe in a process whose other threads are gone.
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const size_t eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : environment_) {
    if (value) {
      merged[name] = *value;
    } else {
      merged.erase(name);
    }
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = program_.empty() ? GameProgram() : program_;
  char* argv[] = {program.data(), nullptr};
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // A test that dies leaves no game running.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(123);
    if (chdir(data_.c_str()) != 0) _exit(120);
    if (!stdout_file_.empty() && !Redirect(STDOUT_FILENO, stdout_file_.c_str())) _exit(122);
    if (!stderr_file_.empty() && !Redirect(STDERR_FILENO, stderr_file_.c_str())) _exit(122);
    execve(program.c_str(), argv, envp.data());
    _exit(121);
  }
}

int GameRun::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = 0;
  return StatusOf(status);
}

std::optional<int> GameRun::WaitFor(long limit_ms) {
  if (pid_ <= 0) return std::nullopt;
  const long end = NowMs() + limit_ms;
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (NowMs() > end) return std::nullopt;
    usleep(20000);
  }
  pid_ = 0;
  return StatusOf(status);
}

void GameRun::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

void GameRun::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

std::string GameRun::Log() const { return ReadFileBytes(DataFile("AppLog.txt")); }

void GameRun::RemoveLog() const {
  std::error_code ec;
  std::filesystem::remove(DataFile("AppLog.txt"), ec);
}

std::optional<SavedGame> GameRun::Save(int slot) const { return ReadSave(DataFile(SaveSlotName(slot))); }

std::optional<SlotList> GameRun::Slots() const { return ReadSlotList(DataFile("save/nightloom.sav")); }

}  // namespace nltest
