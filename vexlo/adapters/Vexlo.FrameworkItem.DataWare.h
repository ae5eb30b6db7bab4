// The data binding of the data-aware framework kinds: the data source and
// field a control shows, and for lookups the list dataset with its shown and
// key fields.
#pragma once

#include <memory>
#include <string>

#include "platform/db/DB.h"

namespace vexlo {

class IVexloDatawareDataSource {
 public:
  virtual ~IVexloDatawareDataSource() = default;
  virtual void Clear() = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
};

class IVexloDatawareListSource {
 public:
  virtual ~IVexloDatawareListSource() = default;
  virtual void Clear() = 0;
  virtual std::string GetListField() const = 0;
  virtual void SetListField(const std::string& AValue) = 0;
  virtual std::string GetKeyField() const = 0;
  virtual void SetKeyField(const std::string& AValue) = 0;
  virtual db::TDataSource* GetListSource() const = 0;
  virtual void SetListSource(db::TDataSource* AValue) = 0;
};

class IVexloDataware {
 public:
  virtual ~IVexloDataware() = default;
  virtual void Clear() = 0;
  virtual IVexloDatawareDataSource& DataSource() = 0;
  virtual IVexloDatawareListSource& ListSource() = 0;
};

class IVexloDatawareOnlyDataSource {
 public:
  virtual ~IVexloDatawareOnlyDataSource() = default;
  virtual void Clear() = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
};

// The data sources are not owned; Clear forgets them and empties the texts.
class TVexloDatawareDataSource : public IVexloDatawareDataSource {
 public:
  void Clear() override;
  db::TDataSource* GetDataSource() const override;
  void SetDataSource(db::TDataSource* AValue) override;
  std::string GetDataField() const override;
  void SetDataField(const std::string& AValue) override;

 private:
  db::TDataSource* FDataSource = nullptr;
  std::string FDataField;
};

class TVexloDatawareListSource : public IVexloDatawareListSource {
 public:
  void Clear() override;
  std::string GetListField() const override;
  void SetListField(const std::string& AValue) override;
  std::string GetKeyField() const override;
  void SetKeyField(const std::string& AValue) override;
  db::TDataSource* GetListSource() const override;
  void SetListSource(db::TDataSource* AValue) override;

 private:
  std::string FListField;
  std::string FKeyField;
  db::TDataSource* FListSource = nullptr;
};

class TVexloDataware : public IVexloDataware {
 public:
  void Clear() override;
  IVexloDatawareDataSource& DataSource() override;
  IVexloDatawareListSource& ListSource() override;

 private:
  TVexloDatawareDataSource FDataSource;
  TVexloDatawareListSource FListSource;
};

class TVexloDatawareOnlyDataSource : public IVexloDatawareOnlyDataSource {
 public:
  void Clear() override;
  db::TDataSource* GetDataSource() const override;
  void SetDataSource(db::TDataSource* AValue) override;

 private:
  db::TDataSource* FDataSource = nullptr;
};

}  // namespace vexlo
