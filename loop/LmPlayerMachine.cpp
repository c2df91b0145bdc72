#include "loop/LmPlayerMachine.h"

#include "scenes/LmPlayer.h"

namespace loop {

LmPlayerMachine::LmPlayerMachine() : player_(std::make_unique<LmPlayer>()) {}
LmPlayerMachine::~LmPlayerMachine() = default;
int LmPlayerMachine::main() { return player_->main(); }
void LmPlayerMachine::draw(ZegDevice* zeg) { player_->draw(zeg); }

std::unique_ptr<SceneMachine> makeLmPlayerMachine() { return std::make_unique<LmPlayerMachine>(); }

}  // namespace loop
