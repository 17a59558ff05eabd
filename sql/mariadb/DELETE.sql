-- Removes rows that were imported twice, keeping the first copy of each: of the rows that agree
-- in the columns a statement groups by (nulls agreeing with nulls, texts compared as the
-- database compares them: without case, as SQL Server does), the one saved first stays.
-- Run as one text, and MariaDB's driver runs one statement to a text: so the script is one
-- compound statement (the mariadb client needs a DELIMITER other than ; around it). MariaDB
-- numbers no rows: each table gets a column `zuna_copy` for the time of its deletion, numbered
-- in the order InnoDB keeps the rows of a table without primary key, which is the order they
-- were saved in, and loses it again afterwards. Each deletion is a transaction of its own; the
-- column changes commit at once. A run stopped between them leaves the column, which the next
-- run uses and removes.
BEGIN NOT ATOMIC
  ALTER TABLE `personnel` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `personnel` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `id_no`, `emp_code`, `pay_mon`, `pay_year` ORDER BY `zuna_copy`) AS copy FROM `personnel`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `personnel` DROP COLUMN `zuna_copy`;
  ALTER TABLE `personnel-del` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `personnel-del` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `id_no`, `emp_code` ORDER BY `zuna_copy`) AS copy FROM `personnel-del`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `personnel-del` DROP COLUMN `zuna_copy`;
  ALTER TABLE `department` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `department` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `dept_code` ORDER BY `zuna_copy`) AS copy FROM `department`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `department` DROP COLUMN `zuna_copy`;
  ALTER TABLE `designation` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `designation` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `dsgn_code` ORDER BY `zuna_copy`) AS copy FROM `designation`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `designation` DROP COLUMN `zuna_copy`;
  ALTER TABLE `establishment` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `establishment` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `dept_code`, `estb_code` ORDER BY `zuna_copy`) AS copy FROM `establishment`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `establishment` DROP COLUMN `zuna_copy`;
  ALTER TABLE `bank` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `bank` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `bank_code` ORDER BY `zuna_copy`) AS copy FROM `bank`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `bank` DROP COLUMN `zuna_copy`;
  ALTER TABLE `qualification` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `qualification` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `qlf_code` ORDER BY `zuna_copy`) AS copy FROM `qualification`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `qualification` DROP COLUMN `zuna_copy`;
  ALTER TABLE `BranchMaster` ADD COLUMN IF NOT EXISTS `zuna_copy` bigint NOT NULL AUTO_INCREMENT UNIQUE KEY;
  DELETE t FROM `BranchMaster` AS t JOIN (SELECT `zuna_copy` FROM (SELECT `zuna_copy`, ROW_NUMBER() OVER (PARTITION BY `micr_name`, `bank_code`, `branch_cod` ORDER BY `zuna_copy`) AS copy FROM `BranchMaster`) AS copies WHERE copy > 1) AS later ON later.`zuna_copy` = t.`zuna_copy`;
  ALTER TABLE `BranchMaster` DROP COLUMN `zuna_copy`;
END
