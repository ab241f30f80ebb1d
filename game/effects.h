// Short-lived effects: arrival glow with contracting particles (TGxS), pick-up glow (TGxC), wound
// burst (TGxW) and the drifting particle of a shot's path (TGxD).
#pragma once

#include <memory>
#include <vector>

// One particle of an effect.
class TPar {
 public:
  void U();
  void Dr() const;

  int fr = 0;            // frame of imgsymbols
  float x = 0, y = 0;    // position in pixels
  float dx = 0, dy = 0;  // speed in pixels per update
  int rot = 0;           // rotation in degrees
};

class TGx {
 public:
  virtual ~TGx() = default;
  static void UA();   // update every effect in `effects`
  static void DrA();  // draw every effect in `effects`
  virtual void U() {}
  virtual void Dr() {}
  virtual const char* Cls() const = 0;  // class name for traces: "TGxS", "TGxC", "TGxW", "TGxD"

  int tm = 0;          // start time (TGxC: end time)
  int col = 0;         // colour word 0xRRGGBB
  float x = 0, y = 0;  // centre, in pixels
};

class TGxS : public TGx {
 public:
  static void Cr(int x, int y, int col);
  void U() override;
  void Dr() override;
  const char* Cls() const override { return "TGxS"; }
  std::vector<TPar> pa;  // particles contracting towards the centre
};

class TGxC : public TGx {
 public:
  static void Cr(int x, int y, int col);
  void U() override;
  void Dr() override;
  const char* Cls() const override { return "TGxC"; }
};

class TGxW : public TGx {
 public:
  static void Cr(int x, int y, int col);
  void U() override;
  void Dr() override;
  const char* Cls() const override { return "TGxW"; }
  std::vector<TPar> pa;  // particles bursting out under gravity
};

class TGxD : public TGx {
 public:
  static void Cr(int x, int y, int col);
  void U() override;
  void Dr() override;
  const char* Cls() const override { return "TGxD"; }
  float rot = 0, drot = 0;  // rotation and its change per drawn frame, in degrees
  float dx = 0, dy = 0;     // drift per drawn frame, in pixels
  int fr = 0;               // frame offset in the particle row of imgsymbols
};
