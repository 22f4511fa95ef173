#pragma once

#include <cstdint>
#include <string>

namespace scores {

// What the high-score window may see of the main window: its five public
// values, each with a get and a set accessor.
class MainWindowLink {
public:
    virtual std::int16_t getScore1() const = 0;
    virtual void setScore1(std::int16_t value) = 0;
    virtual std::int16_t getPersonalBest() const = 0;
    virtual void setPersonalBest(std::int16_t value) = 0;
    virtual std::int16_t getTopScore() const = 0;
    virtual void setTopScore(std::int16_t value) = 0;
    virtual std::string getUserName() const = 0;
    virtual void setUserName(const std::string& value) = 0;
    virtual bool getGameInProgress() const = 0;
    virtual void setGameInProgress(bool value) = 0;

protected:
    ~MainWindowLink() = default;
};

}  // namespace scores
