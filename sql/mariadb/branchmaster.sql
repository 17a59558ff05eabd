-- Bank branches, for an office whose FoxPro data has no BranchMaster table. One statement: all
-- three rows are saved, or none.
INSERT INTO `BranchMaster` (`micr_name`, `city_code`, `bank_code`, `branch_cod`, `bank_name`, `branch_nam`, `branch_add`, `IFSC_code`) VALUES
  ('462002002', 'BPL', 'SBI1', '0001', 'STATE BANK OF INDIA', 'T T NAGAR', 'NEW MARKET, BHOPAL', 'SBIN0001234'),
  ('462002010', 'BPL', 'PNB1', '0002', 'PUNJAB NATIONAL BANK', 'M P NAGAR', 'ZONE I, BHOPAL', 'PUNB0012300'),
  ('452002003', 'IDR', 'BOB1', '0003', 'BANK OF BARODA', 'RAJWADA', 'MG ROAD, INDORE', 'BARB0RAJWAD');
GO
