#pragma once
// The program's scene machine: LmPlayer behind the frame loop's interface.
#include <memory>

#include "loop/SceneMachine.h"

class LmPlayer;

namespace loop {

class LmPlayerMachine : public SceneMachine {
 public:
  LmPlayerMachine();
  ~LmPlayerMachine() override;
  int main() override;
  void draw(ZegDevice* zeg) override;
  LmPlayer* player() override { return player_.get(); }

 private:
  std::unique_ptr<LmPlayer> player_;
};

std::unique_ptr<SceneMachine> makeLmPlayerMachine();

}  // namespace loop
