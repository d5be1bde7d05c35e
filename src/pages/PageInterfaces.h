// The capabilities of a page that the forms controller and the connect flow drive.
#pragma once

class TIniFile;

// The interfaces own nothing and count nothing: a page lives as long as its owner keeps it, so
// nobody deletes through them.
class IDefaultable {
  public:
    virtual void SetDefaults() = 0;

  protected:
    ~IDefaultable() = default;
};

class IIniStorable {
  public:
    virtual void SaveToIni(TIniFile& ini) = 0;
    virtual void LoadFromIni(const TIniFile& ini) = 0;

  protected:
    ~IIniStorable() = default;
};

class IClearable {
  public:
    virtual void Clear() = 0;
    virtual void ClearMarks() = 0;

  protected:
    ~IClearable() = default;
};
