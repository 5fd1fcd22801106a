#pragma once
// Stable: the steam table of the common library. Saturation states, states fixed by two of
// pressure, temperature, specific volume, enthalpy and entropy, and steam viscosity, all by
// linear interpolation in the three table files that lie beside libTWCommon.so. The files are
// read once per process into tables that every Stable object shares; a file that goes missing,
// becomes unreadable or is replaced is noticed at the next call. Values cross in the units
// chosen on the object; inside, everything is in the base units kg/cm2 a, oC, m3/kg, kcal/kg,
// kcal/kg-K, cP and cSt.
//
// Threads: a Stable object belongs to one thread at a time; objects on different threads may
// look up at the same time (they share only the immutable tables). Messages go to the message
// sink of the calling thread.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "tw/Unit.h"

namespace tw {

namespace steam {
class DataDirectory;
struct TableSet;
template <class Source>
class Lookups;
struct ReferenceAccess;
}  // namespace steam

enum enmStable : std::int32_t {
    ktoStable_PR = 1,
    ktoStable_TP = 2,
    ktoStable_SVOL = 3,
    ktoStable_ENTH = 4,
    ktoStable_ENTRO = 5,
};
enum enmSStable : std::int32_t { ktoSStable_PR = 1, ktoSStable_TP = 2 };

// The quantities whose units a Stable object keeps: X(Key).
#define TW_FOR_EACH_STABLE_UNIT(X) X(ENTH) X(PR) X(TP) X(SVOL) X(ENTRO) X(Visco) X(ViscoX)

class Stable {
  public:
    // Uses the table files in the directory of libTWCommon.so.
    Stable();
    // Uses the table files in `dataDirectory` (tests, tools).
    explicit Stable(const std::filesystem::path& dataDirectory);

    // State results of STABLE, in the object's units.
    float ENTH() const noexcept { return ENTH_; }
    float PR() const noexcept { return PR_; }
    float SVOL() const noexcept { return SVOL_; }
    float TP() const noexcept { return TP_; }
    float Quality() const noexcept { return Quality_; }
    float ENTRO() const noexcept { return ENTRO_; }
    float Visco() const noexcept { return Visco_; }
    float ViscoX() const noexcept { return ViscoX_; }

    // Saturation results of SSTABLE (F saturated liquid, G saturated vapour).
    float PSAT() const noexcept { return sat_.PSAT; }
    float TSAT() const noexcept { return sat_.TSAT; }
    float SVOLF() const noexcept { return sat_.SVOLF; }
    float SVOLG() const noexcept { return sat_.SVOLG; }
    float ENTHF() const noexcept { return sat_.ENTHF; }
    float ENTHG() const noexcept { return sat_.ENTHG; }
    float ENTROF() const noexcept { return sat_.ENTROF; }
    float ENTROG() const noexcept { return sat_.ENTROG; }
    float ViscoF() const noexcept { return sat_.ViscoF; }
    float ViscoG() const noexcept { return sat_.ViscoG; }
    float ViscoXF() const noexcept { return sat_.ViscoXF; }
    float ViscoXG() const noexcept { return sat_.ViscoXG; }

    // Code of the last lookup run, which may be one made inside the viscosity or quality
    // steps of a call:
    //   0 none;
    //   1 the two properties are the same; 2 a value outside the table's range;
    //   3 a property code outside 1 to 5; 4 outside the table or undetermined;
    //   5 a saturation value outside its range; 6 a saturation code other than 1 and 2;
    //   7 a table file the lookup needs cannot be used: it cannot be read, or it is damaged
    //     (not the size of the record layout, not the checksum of the manifest written beside
    //     the files, or values no steam table holds), or it went missing after the object was
    //     made;
    //   8 a table file was missing when the object was made (the missing-files message);
    //  10 an undetermined saturated state (pressure and temperature on the saturation line).
    // On codes 1 to 8 the working values of the lookup are 9999999.
    float StableError() const noexcept { return static_cast<float>(error_); }

    // Saturation state at a pressure (AKSAT 1) or a temperature (AKSAT 2).
    void SSTABLE(std::int32_t AKSAT, float ARGSAT);
    // The saturation temperature of SSTABLE alone, for callers that need nothing else (a dew
    // point): the same value, StableError, messages and beeps as SSTABLE(AKSAT, ARGSAT) followed
    // by TSAT() for every input and every state of the files, without the viscosity steps and
    // the other properties. Sets TSAT() and StableError(); the other saturation results keep
    // the values of the last SSTABLE.
    float SaturationTemperature(std::int32_t AKSAT, float ARGSAT);
    // State fixed by two different properties (codes of enmStable, in either order). Published
    // as `Stable`; a C++ member cannot share its class's name, so it carries the name of its
    // call line in the messages.
    void STABLE(std::int32_t KODE, float ARG, std::int32_t ICODE, float ARGL);
    // Dynamic viscosity at pressure, temperature and quality (0 to 1 wet, else single phase).
    float StmVisco(float P, float T, float X);

    // Units: u + key (setting it also sets the label s + key), s + key.
#define TW_STABLE_UNIT_MEMBERS(Key)                                            \
    std::int32_t u##Key() const noexcept {                                     \
        return units_.u##Key();                                                \
    }                                                                          \
    void setu##Key(std::int32_t index) {                                       \
        units_.setu##Key(index);                                               \
        s##Key##_.assign(Unit::displayText(QuantityId::Key, units_.u##Key())); \
    }                                                                          \
    const std::string& s##Key() const noexcept {                               \
        return s##Key##_;                                                      \
    }
    TW_FOR_EACH_STABLE_UNIT(TW_STABLE_UNIT_MEMBERS)
#undef TW_STABLE_UNIT_MEMBERS

    std::int32_t TW_Language() const noexcept {
        return language_;
    }
    void setTW_Language(std::int32_t language) noexcept {
        language_ = language;
    }

    const std::filesystem::path& dataDirectory() const noexcept;

    // Makes this object what a new one on the same data directory would be: results zero,
    // units and language at their defaults, the files checked again with the missing-files
    // message shown as a new object shows it. Cheaper than making one (it keeps its hold on the
    // tables), for a caller that looks up once per calculation.
    void renew();

  private:
    template <class Source>
    friend class steam::Lookups;
    friend struct steam::ReferenceAccess;

    struct WorkingState {
        float pressure = 0, temperature = 0, volume = 0, enthalpy = 0, entropy = 0, quality = 0,
              viscosity = 0, kinematicViscosity = 0;
    };
    struct Saturation {
        float PSAT = 0, TSAT = 0, SVOLF = 0, SVOLG = 0, ENTHF = 0, ENTHG = 0, ENTROF = 0,
              ENTROG = 0, ViscoF = 0, ViscoG = 0, ViscoXF = 0, ViscoXG = 0;
    };
    explicit Stable(std::shared_ptr<steam::DataDirectory> data);
    // The tables as the files are now: `checked` the files whose presence the call needs,
    // `read` those it looks up (bits 1 << file).
    const steam::TableSet& currentTables(unsigned checked, unsigned read);
    void showMissingFiles() const;
    void checkFiles();  // notes and shows the files missing now

    std::shared_ptr<steam::DataDirectory> data_;
    std::shared_ptr<const steam::TableSet> tables_;
    bool readsFiles_ = false;  // the tests' reference: every lookup reads the files
    std::string missingFiles_;
    Unit units_;
    std::int32_t language_ = 0;
#define TW_STABLE_UNIT_LABEL(Key) std::string s##Key##_;
    TW_FOR_EACH_STABLE_UNIT(TW_STABLE_UNIT_LABEL)
#undef TW_STABLE_UNIT_LABEL

    float ENTH_ = 0, PR_ = 0, SVOL_ = 0, TP_ = 0, Quality_ = 0, ENTRO_ = 0, Visco_ = 0, ViscoX_ = 0;
    Saturation sat_;      // public saturation results (user units)
    WorkingState work_;   // working state (base units)
    Saturation workSat_;  // working saturation (base units)
    std::int16_t error_ = 0;
};

// The steam table objects of this thread work on one state of the files while this lives: only
// the first public call in it asks the change watch whether the files changed, the others take
// the answer as it was (the question costs a system call). Outside such a scope, and where the
// watch is not set up, every public call asks. A batch opens one for each block of a few
// hundred rows, so a file replaced while a block is calculated is seen from the next block on.
// Scopes nest; the outermost decides.
class ScopedSteamTableState {
  public:
    ScopedSteamTableState();
    ~ScopedSteamTableState();
    ScopedSteamTableState(const ScopedSteamTableState&) = delete;
    ScopedSteamTableState& operator=(const ScopedSteamTableState&) = delete;

  private:
    bool outermost_;
};

}  // namespace tw
