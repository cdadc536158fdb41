#include "Options.h"

#include <cstdlib>
#include <sstream>

namespace vornsim {

namespace {

bool toInt(const std::string& s, long lo, long hi, int& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

bool parseVersion(const std::string& text, int& v) {
  const auto dot = text.find('.');
  int major = 0;
  if (!toInt(text.substr(0, dot), 0, 15, major)) return false;
  int minor = 0;
  if (dot != std::string::npos) {
    std::string frac = text.substr(dot + 1);
    if (frac.empty() || frac.size() > 3 || frac.find_first_not_of("0123456789") != std::string::npos)
      return false;
    while (frac.size() < 3) frac += '0';
    minor = std::atoi(frac.c_str());
  }
  // Each digit but the first travels in three bits, so the hundreds, tens and units digits
  // must each lie in 0..7.
  if (minor / 100 > 7 || (minor / 10) % 10 > 7 || minor % 10 > 7) return false;
  v = major * 1000 + minor;
  return true;
}

bool parseOptions(int argc, char** argv, Options& o, std::string& error, bool& help) {
  help = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      v = argv[++i];
      return true;
    };
    auto number = [&](long lo, long hi, int& out) {
      std::string v;
      if (!value(v)) return false;
      if (!toInt(v, lo, hi, out)) {
        error = arg + ": expected a number " + std::to_string(lo) + ".." + std::to_string(hi) + ", got '" +
                v + "'";
        return false;
      }
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    } else if (arg == "--module") {
      int m = 0;
      if (!number(0, 15, m)) return false;
      o.modules = {m};
    } else if (arg == "--modules") {
      if (!value(v)) return false;
      o.modules.clear();
      std::stringstream ss(v);
      std::string part;
      while (std::getline(ss, part, ',')) {
        int m = 0;
        if (!toInt(part, 0, 15, m)) {
          error = "--modules: expected module numbers 0..15 separated by commas, got '" + v + "'";
          return false;
        }
        o.modules.push_back(m);
      }
      if (o.modules.empty()) {
        error = "--modules: no module given";
        return false;
      }
    } else if (arg == "--ids") {
      if (!value(v)) return false;
      o.ids.clear();
      std::stringstream ss(v);
      std::string part;
      while (std::getline(ss, part, ',')) {
        if (part.size() > 12) {
          error = "--ids: an identity string holds at most 12 characters, got '" + part + "'";
          return false;
        }
        o.ids.push_back(part);
      }
    } else if (arg == "--silent-after") {
      if (!value(v)) return false;
      const auto comma = v.find(',');
      if (comma == std::string::npos || !toInt(v.substr(0, comma), 0, 15, o.silentModule) ||
          !toInt(v.substr(comma + 1), 1, 100000000, o.silentAfter)) {
        error = "--silent-after: expected MODULE,N (module 0..15, N from 1), got '" + v + "'";
        return false;
      }
    } else if (arg == "--xaddr") {
      if (!number(0, 95, o.xaddr)) return false;
    } else if (arg == "--reply-xaddr") {
      if (!number(0, 127, o.replyXaddr)) return false;
    } else if (arg == "--ignore-request" || arg == "--short-reply" || arg == "--wrong-echo") {
      if (!value(v)) return false;
      std::vector<int> prefix;
      std::stringstream ss(v);
      std::string part;
      while (std::getline(ss, part, ',')) {
        int b = 0;
        if (!toInt(part, 0, 127, b)) {
          error = arg + ": expected request bytes 0..127 separated by commas, got '" + v + "'";
          return false;
        }
        prefix.push_back(b);
      }
      if (prefix.empty()) {
        error = arg + ": no request bytes given";
        return false;
      }
      (arg == "--ignore-request" ? o.ignoreRequests
       : arg == "--short-reply"  ? o.shortReplies
                                 : o.wrongEchoes)
          .push_back(prefix);
    } else if (arg == "--demo") {
      o.demo = true;
    } else if (arg == "--old-firmware") {
      o.oldFirmware = true;
    } else if (arg == "--mute") {
      o.mute = true;
    } else if (arg == "--corrupt-every") {
      if (!number(1, 1000000, o.corruptEvery)) return false;
    } else if (arg == "--noise") {
      o.noise = true;
    } else if (arg == "--latency-ms") {
      if (!number(0, 60000, o.latencyMs)) return false;
    } else if (arg == "--baud") {
      if (!number(50, 4000000, o.baud)) return false;
    } else if (arg == "--log") {
      if (!value(o.logFile)) return false;
    } else if (arg == "--vanish-after") {
      if (!number(1, 100000000, o.vanishAfter)) return false;
    } else if (arg == "--ignore-toggle") {
      o.ignoreToggle = true;
    } else if (arg == "--strict") {
      o.strict = true;
    } else if (arg == "--exit-on-hup") {
      o.exitOnHup = true;
    } else if (arg == "--kestro") {
      if (!value(v)) return false;
      if (v == "lintor")
        o.kestro = KestroType::Lintor;
      else if (v == "corvel")
        o.kestro = KestroType::Corvel;
      else if (v == "pardo")
        o.kestro = KestroType::Pardo;
      else {
        error = "--kestro: expected lintor, corvel or pardo, got '" + v + "'";
        return false;
      }
    } else if (arg == "--protocol" || arg == "--iface-version") {
      if (!value(v)) return false;
      int& target = arg == "--protocol" ? o.protocolVersion : o.ifaceVersion;
      if (!parseVersion(v, target)) {
        error = arg + ": expected a version X.Y such as 3.2 or 1.020, got '" + v + "'";
        return false;
      }
    } else {
      error = "unknown option '" + arg + "' (try --help)";
      return false;
    }
  }
  return true;
}

const char* usageText() {
  return "usage: vornsim [options]\n"
         "Serves a simulated Vorn on a pseudo-terminal; the first line on stdout is its path.\n"
         "Runs until SIGTERM or SIGINT; SIGUSR1 writes the state of every Vorn to the log.\n"
         "\n"
         "  --module N            answer module address N (0..15, default 0)\n"
         "  --modules A,B,...     answer several module addresses, each with its own state\n"
         "  --ids A,B,...         identity strings of the modules, in the order of --modules\n"
         "  --xaddr N             extended address of the Vorns (item 2 starts at N); frames with\n"
         "                        the extended-address bit and another byte are ignored. Without\n"
         "                        it any byte is accepted and echoed in the reply\n"
         "  --reply-xaddr N       fault: every reply carries extended address byte N\n"
         "  --demo                start with a demonstration layout instead of the plain default\n"
         "  --old-firmware        old servo flag format, 4-byte PWM configuration replies, no\n"
         "                        event-off actions and no enable maps\n"
         "  --mute                never answer\n"
         "  --corrupt-every N     send every N-th reply first with a bad check byte, then good\n"
         "  --noise               send garbage bytes (bit 7 set) before every reply\n"
         "  --ignore-request B,..  fault: requests starting with these data bytes (e.g. 112,10)\n"
         "                        are carried out but never answered (repeatable)\n"
         "  --short-reply B,..    fault: their replies lose the last data byte (repeatable)\n"
         "  --wrong-echo B,..     fault: their replies echo a wrong second byte (repeatable)\n"
         "  --latency-ms N        answer N ms after the request arrived\n"
         "  --baud N              pace both directions at the wire speed of N bit/s (11 bits/byte)\n"
         "  --log FILE            record every frame received and every event, one line each\n"
         "  --vanish-after N      close the pseudo-terminal and exit when the N-th frame arrives\n"
         "                        (the resynchronising empty frame counts)\n"
         "  --silent-after M,N    fault: module M answers N frames, then never again (the\n"
         "                        others go on answering)\n"
         "  --ignore-toggle       carry out a frame whose toggle bit repeats the previous one;\n"
         "                        by default it counts as the same frame sent again and gets\n"
         "                        the previous reply without being carried out (both log REPEAT)\n"
         "  --strict              exit with status 3 when any request was refused (a Vorn\n"
         "                        refuses, without a reply, a request whose length, layout or\n"
         "                        values it cannot take; each refusal is logged as REFUSED)\n"
         "  --exit-on-hup         exit when the host closes the port\n"
         "  --kestro TYPE         speak Kestro tunnel frames as a lintor, corvel or pardo\n"
         "  --protocol X.Y        Kestro protocol version reported (default 3.2)\n"
         "  --iface-version X.Y   interface version reported (default 1.030)\n"
         "  --version             print the version and the licence\n";
}

}  // namespace vornsim
