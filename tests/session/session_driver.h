#pragma once
// The random session driver: a seed makes a list of weighted steps, each with its own random numbers that
// the session reads when it plays the step against the form as it is then; after every step the session
// checks what must always hold. A run is replayed exactly from the seed and the step list, so a failing
// list can be shrunk (delta debugging over the steps) to a short one that still fails, printed in a form
// that pastes into a plain regression test.

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace session {

// splitmix64: the same numbers on every compiler and library, unlike the standard distributions.
class Rng {
 public:
  explicit Rng(uint64_t Seed) : s_(Seed) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t N) { return N ? static_cast<uint32_t>(Next() % N) : 0; }

 private:
  uint64_t s_;
};

// One step: its kind and three numbers the session reads as it likes (which row, which text, which answer).
struct Step {
  int Kind = 0;
  uint32_t A = 0, B = 0, C = 0;
};

// A form under test. Made fresh for each run from the seed (which also picks the run's variant, say
// right to left); Play sends one step through the queue; Check returns what went wrong, empty when all
// holds.
class Session {
 public:
  virtual ~Session() = default;
  virtual void Play(const Step& S) = 0;
  virtual std::string Check(const Step& S) = 0;
  virtual std::string Describe(const Step& S) const = 0;
  // The form's state in a line, for traces.
  virtual std::string State() { return std::string(); }
};

using SessionMaker = std::function<std::unique_ptr<Session>(uint64_t Seed)>;

// Kinds with their weights; a weight of 0 keeps a kind out of generated runs (it can still be replayed).
struct KindWeight {
  int Kind;
  unsigned Weight;
};

inline std::vector<Step> Generate(uint64_t Seed, size_t Count, const std::vector<KindWeight>& Weights) {
  Rng r(Seed * 0x2545F4914F6CDD1Dull + 1);
  unsigned total = 0;
  for (const KindWeight& w : Weights) total += w.Weight;
  std::vector<Step> steps;
  steps.reserve(Count);
  for (size_t i = 0; i < Count && total; ++i) {
    unsigned pick = r.Below(total);
    Step s;
    for (const KindWeight& w : Weights) {
      if (pick < w.Weight) {
        s.Kind = w.Kind;
        break;
      }
      pick -= w.Weight;
    }
    s.A = static_cast<uint32_t>(r.Next());
    s.B = static_cast<uint32_t>(r.Next());
    s.C = static_cast<uint32_t>(r.Next());
    steps.push_back(s);
  }
  return steps;
}

struct Outcome {
  bool Failed = false;
  size_t At = 0;  // the failing step's index
  std::string Message;
};

// Plays Steps on a fresh session of Seed, checking after each; stops at the first failure. An exception
// that escapes a step is a failure of that step.
inline Outcome Play(const SessionMaker& Make, uint64_t Seed, const std::vector<Step>& Steps, bool Trace = false) {
  Outcome o;
  std::unique_ptr<Session> s = Make(Seed);
  for (size_t i = 0; i < Steps.size(); ++i) {
    std::string problem;
    try {
      s->Play(Steps[i]);
      problem = s->Check(Steps[i]);
      if (Trace)
        std::fprintf(stderr, "%zu: %s -> %s  [%s]\n", i, s->Describe(Steps[i]).c_str(),
                     problem.empty() ? "ok" : problem.c_str(), s->State().c_str());
    } catch (const std::exception& e) {
      problem = std::string("exception out of the step: ") + e.what();
    } catch (...) {
      problem = "unknown exception out of the step";
    }
    if (!problem.empty()) {
      o.Failed = true;
      o.At = i;
      o.Message = problem;
      return o;
    }
  }
  return o;
}

// What kind of failure a message tells, without its numbers and quoted texts: a shrunk list must fail
// the same way, not merely fail.
inline std::string Signature(const std::string& Message) {
  std::string out;
  bool quoted = false;
  for (char ch : Message) {
    if (ch == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && !(ch >= '0' && ch <= '9')) out += ch;
  }
  return out;
}

// Delta debugging over the step list: drops leading steps, then removes chunks and single steps,
// while the run still fails the same way. Work bounds the steps replayed in all. Returns the shortest
// failing list found.
inline std::vector<Step> Shrink(const SessionMaker& Make, uint64_t Seed, std::vector<Step> Steps,
                                const std::string& Why, size_t Work = 30000) {
  const std::string want = Signature(Why);
  auto fails = [&](const std::vector<Step>& S) {
    if (Work < S.size()) return false;
    Work -= S.size();
    Outcome o = Play(Make, Seed, S);
    return o.Failed && Signature(o.Message) == want;
  };
  // Most of a long run leads nowhere: the longest prefix that can go, by halving.
  for (size_t cut = Steps.size() / 2; cut >= 1 && Steps.size() > 1;) {
    std::vector<Step> rest(Steps.begin() + static_cast<long>(std::min(cut, Steps.size() - 1)), Steps.end());
    if (fails(rest)) {
      Steps = rest;
      cut = std::min(cut, Steps.size() / 2);
    } else {
      cut /= 2;
    }
  }
  size_t n = 2;
  while (Steps.size() >= 2 && Work > 0) {
    size_t chunk = (Steps.size() + n - 1) / n;
    bool reduced = false;
    for (size_t start = 0; start < Steps.size(); start += chunk) {
      std::vector<Step> rest(Steps.begin(), Steps.begin() + static_cast<long>(start));
      size_t end = std::min(Steps.size(), start + chunk);
      rest.insert(rest.end(), Steps.begin() + static_cast<long>(end), Steps.end());
      if (!rest.empty() && fails(rest)) {
        Steps = rest;
        n = n > 2 ? n - 1 : 2;
        reduced = true;
        break;
      }
    }
    if (!reduced) {
      if (chunk <= 1) break;
      n = std::min(Steps.size(), n * 2);
    }
  }
  return Steps;
}

// The steps as lines that paste into a regression test's step list.
inline std::string Listing(const Session& S, const std::vector<Step>& Steps) {
  std::ostringstream out;
  for (const Step& st : Steps)
    out << "    {" << st.Kind << ", " << st.A << "u, " << st.B << "u, " << st.C << "u},  // " << S.Describe(st) << "\n";
  return out.str();
}

// A number from the environment, or Default.
inline uint64_t EnvNumber(const char* Name, uint64_t Default) {
  const char* v = std::getenv(Name);
  if (!v || !*v) return Default;
  return std::strtoull(v, nullptr, 10);
}

// Runs Seeds runs of Count steps (seeds First, First + 1, ...). On a failure: the seed, the failing
// step, the message and the shrunk list; returns that report, empty when every run held.
inline std::string RunBudget(const SessionMaker& Make, const std::vector<KindWeight>& Weights, uint64_t First,
                             uint64_t Seeds, size_t Count) {
  for (uint64_t seed = First; seed < First + Seeds; ++seed) {
    std::vector<Step> steps = Generate(seed, Count, Weights);
    Outcome o = Play(Make, seed, steps);
    if (!o.Failed) continue;
    std::vector<Step> prefix(steps.begin(), steps.begin() + static_cast<long>(o.At) + 1);
    // TRESSORA_SESSION_SHRINK=0 reports the whole failing prefix at once.
    // Shrinking may replay a few times the failing prefix, and never less than 30,000 steps.
    std::vector<Step> shrunk = EnvNumber("TRESSORA_SESSION_SHRINK", 1)
                                   ? Shrink(Make, seed, prefix, o.Message, std::max<size_t>(30000, 4 * prefix.size()))
                                   : prefix;
    Outcome again = Play(Make, seed, shrunk);
    std::unique_ptr<Session> describer = Make(seed);
    std::ostringstream out;
    out << "session failed: seed " << seed << ", step " << o.At << " of " << Count << ": " << o.Message << "\n"
        << "shrunk to " << shrunk.size() << " steps (" << (again.Failed ? again.Message : std::string("no longer fails"))
        << "); replay with seed " << seed << " and:\n"
        << Listing(*describer, shrunk);
    if (EnvNumber("TRESSORA_SESSION_SURVEY", 0)) {
      std::fprintf(stderr, "%s", out.str().substr(0, out.str().find('\n') + 1).c_str());
      continue;
    }
    return out.str();
  }
  return std::string();
}

}  // namespace session
