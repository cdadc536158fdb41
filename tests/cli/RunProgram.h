#pragma once
// Runs one of the project's programs to its end and keeps its exit status and output.

#include <QProcess>
#include <string>

namespace vorn::test {

struct ProgramRun {
  int code = -1;  // -1 when it crashed or did not end within 30 s
  std::string out;
  std::string err;
};

inline ProgramRun RunProgram(const QString& program, const QStringList& args,
                             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                             const std::string& input = {}) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.write(input.data(), static_cast<qint64>(input.size()));
  p.closeWriteChannel();
  ProgramRun r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

}  // namespace vorn::test
