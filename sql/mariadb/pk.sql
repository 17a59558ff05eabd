-- Keys and indexes, made after the import so that the rows go in first. One statement per batch.
CREATE INDEX IF NOT EXISTS ix_personnel_id_no ON `personnel` (`id_no`)
GO
CREATE INDEX IF NOT EXISTS ix_personnel_emp_code ON `personnel` (`emp_code`)
GO
CREATE INDEX IF NOT EXISTS ix_department_dept_code ON `department` (`dept_code`)
GO
CREATE INDEX IF NOT EXISTS ix_establishment_codes ON `establishment` (`dept_code`, `estb_code`)
GO
CREATE INDEX IF NOT EXISTS ix_designation_dsgn_code ON `designation` (`dsgn_code`)
GO
CREATE INDEX IF NOT EXISTS ix_earnings_id_no ON `earnings` (`id_no`, `pay_mon`, `pay_year`)
GO
CREATE INDEX IF NOT EXISTS ix_deduction_id_no ON `deduction` (`id_no`, `pay_mon`, `pay_year`)
GO
CREATE INDEX IF NOT EXISTS ix_paybill_bill_no ON `paybill` (`bill_no`)
GO
CREATE INDEX IF NOT EXISTS ix_loan_id_no ON `loan` (`id_no`, `loan_code`)
GO
