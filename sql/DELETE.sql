-- Removes rows that were imported twice, keeping the first copy of each. Run as one text: no
-- batch separators here. The embedded engine numbers every row (rowid); on SQL Server, use a
-- T-SQL script of the same name.
DELETE FROM personnel WHERE rowid NOT IN (SELECT MIN(rowid) FROM personnel GROUP BY id_no, emp_code, pay_mon, pay_year);
DELETE FROM [personnel-del] WHERE rowid NOT IN (SELECT MIN(rowid) FROM [personnel-del] GROUP BY id_no, emp_code);
DELETE FROM department WHERE rowid NOT IN (SELECT MIN(rowid) FROM department GROUP BY dept_code);
DELETE FROM designation WHERE rowid NOT IN (SELECT MIN(rowid) FROM designation GROUP BY dsgn_code);
DELETE FROM establishment WHERE rowid NOT IN (SELECT MIN(rowid) FROM establishment GROUP BY dept_code, estb_code);
DELETE FROM bank WHERE rowid NOT IN (SELECT MIN(rowid) FROM bank GROUP BY bank_code);
DELETE FROM qualification WHERE rowid NOT IN (SELECT MIN(rowid) FROM qualification GROUP BY qlf_code);
DELETE FROM BranchMaster WHERE rowid NOT IN (SELECT MIN(rowid) FROM BranchMaster GROUP BY micr_name, bank_code, branch_cod);
