// The real game program run as the whole-game tests run it: in a child process, in a data
// folder of the test's (a copy of the demo world, or a few files of its own), headless on
// SDL's dummy drivers under the virtual clock and the harness (README: "Running without
// anyone at the keyboard"); then what it left there: its frames, its log, its sound, its
// saves.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/captured_frames.h"
#include "tests/support/png_file.h"
#include "tests/support/save_file.h"
#include "tests/support/temp_dir.h"

namespace nltest {

// The game program of the build tree the tests belong to.
std::string GameProgram();
// The demo world's data tree that the build made.
std::string DemoDataDir();

// A settings file (system\nlconfig.inf) in the settings tool's own form: a header line,
// then the entries in order (0 window mode, 1 32-bit colour, 2 hardware 3-D, 3 video
// memory, 4 doubled screen, ...; the game reads those left out as 0).
std::string SettingsText(const std::vector<int>& entries);

// The harness's variables (NIGHTLOOM_CAPTURE, _CAPTURE_FRAMES, _EXIT_AFTER, _INPUT,
// _AUDIO_OUT, _CLOCK, _INSTANCE_LOCK) taken out of the test's own process.
void ClearHarnessHere();

class GameRun {
 public:
  // A run in a folder of its own, removed with the object: the game works in its empty
  // folder "data", the run's own files (lock, frames, sound, scripts, output) lie beside it.
  GameRun();
  // A run in folders of the test's (made when missing): the game works in `data`, the
  // run's own files go to `files` (they may be the same folder).
  GameRun(std::string data, std::string files);
  // A program still running is killed.
  ~GameRun();
  GameRun(const GameRun&) = delete;
  GameRun& operator=(const GameRun&) = delete;

  const std::string& DataDir() const { return data_; }
  std::string DataFile(std::string_view name) const { return data_ + "/" + std::string(name); }
  // A file of the run's own (the test's scripts and songs too).
  std::string File(std::string_view name) const { return files_ + "/" + std::string(name); }

  // The demo world's data tree copied into the data folder, over what is there.
  bool CopyDemoWorld() const;
  // The data folder's settings file, SettingsText(entries).
  bool WriteSettings(const std::vector<int>& entries) const;
  // The data folder's settings file with some entries changed (entry number -> value), the
  // others kept; a missing file counts as all 0.
  bool ChangeSettings(const std::map<int, int>& entries) const;

  // What the next start is given; each holds until it is changed. Without these the game
  // runs until it ends itself, with no script, no capture and no sound file.
  void ExitAfter(int frames);                  // NIGHTLOOM_EXIT_AFTER
  void Input(const std::string& script_file);  // NIGHTLOOM_INPUT
  bool InputText(std::string_view script);     // the script written to the run's input.txt
  // NIGHTLOOM_CAPTURE into the run's folder `folder`, NIGHTLOOM_CAPTURE_FRAMES = frames
  // ("" captures every frame).
  void Capture(const std::string& frames = "", const std::string& folder = "frames");
  void AudioOut(const std::string& name);  // NIGHTLOOM_AUDIO_OUT, a file of the run's
  void RealClock(bool real = true);        // the steady clock instead of the virtual one
  // Any other variable (DISPLAY, SDL_VIDEODRIVER, ...) set for the program, or left out.
  void Set(const std::string& name, const std::string& value);
  void Unset(const std::string& name);
  // Where the program's standard output and error go: files, or "" for the test's own.
  // By default its output is dropped and its errors are the test's.
  void Output(const std::string& stdout_file, const std::string& stderr_file);
  void Program(const std::string& path);  // another program than GameProgram()
  // This run's environment set in the test's own process instead, for a game started in
  // it (its frame loop, RunGame); the working directory is the test's to change.
  // ClearHarnessHere() takes the harness's variables out of it again.
  void ApplyHere() const;

  // Starts the program and waits for its end: its exit status, 128 + the signal that
  // ended it, or 120-122 when the child could not enter the folder, start the program or
  // open an output file.
  int Run();
  // Run() with the input script, the frames captured into the folder and the frame limit
  // given, as most whole-game tests play.
  int Run(const std::string& script_file, const std::string& frames, int exit_after,
          const std::string& folder = "frames");
  // Starts it and returns at once. The program is killed when the thread that started it
  // ends, so start it from the test's own thread.
  void Start();
  bool Running() const { return pid_ > 0; }
  int Wait();
  // The exit status once the program ends within limit_ms; nullopt while it runs on.
  std::optional<int> WaitFor(long limit_ms);
  void Signal(int signal) const;
  void Kill();

  // What it left. The log is the data folder's AppLog.txt.
  std::string Log() const;
  void RemoveLog() const;
  // The capture folder of the last Capture(), and its frames (FramePath, ReadFrame).
  std::string CaptureDir() const { return File(capture_folder_); }
  std::string FramePath(long n) const { return nltest::FramePath(CaptureDir(), n); }
  std::optional<Png> Frame(long n) const { return ReadFrame(CaptureDir(), n); }
  std::optional<Png> Frame(const std::string& folder, long n) const { return ReadFrame(File(folder), n); }
  long LastFrame() const { return LastCapturedFrame(CaptureDir()); }
  // Save slot n (0-15) of the data folder, and its slot list.
  std::optional<SavedGame> Save(int slot) const;
  std::optional<SlotList> Slots() const;

 private:
  void SetDefaults();

  std::optional<TempDir> own_;  // when the run has a folder of its own
  std::string data_, files_;
  std::map<std::string, std::optional<std::string>> environment_;  // a value, or left out
  std::string capture_folder_ = "frames";
  std::string program_, stdout_file_ = "/dev/null", stderr_file_;
  pid_t pid_ = 0;
};

}  // namespace nltest
